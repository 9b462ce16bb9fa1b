#pragma once

// The login password as the settings keep it: a salted, slow hash from which
// the password cannot be recovered.
//
// Stored form: "pbkdf2-sha256$ITERATIONS$SALT$KEY" (PBKDF2-HMAC-SHA256, SALT
// 16 random bytes and KEY 32 bytes, both Base64). Older settings hold the
// Base64 of the password itself; such a value is still recognised so that it
// can be checked once and replaced.
//
// The login has always compared passwords trimmed of surrounding blanks;
// every function here trims the password it is given the same way.
//
// Threading: pure functions, any thread (the salt comes from the system's
// random source).

#include <QString>

// Iterations of a new hash.
inline constexpr int kPasswordIterations = 100000;

// A new stored form of `password`, with a fresh salt.
QString hashPassword(const QString& password);

// True when `stored` is a hash (not an older Base64 value).
bool isPasswordHash(const QString& stored);

// Whether `typed` is the password `stored` stands for; a value that is not a
// hash is read as the Base64 of the password.
bool passwordMatches(const QString& stored, const QString& typed);
