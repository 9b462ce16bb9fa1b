#pragma once

// Texts kept Base64-encoded in the settings (login account, P2P password).
// Plain Base64 of the UTF-8 bytes, not enciphered.
//
// Threading: pure functions, callable from any thread.

#include <QString>

// Base64 of the text's UTF-8 bytes (standard alphabet, with padding).
QString encodeStoredText(const QString& text);

// Decodes a stored value the way the login values have always been read: the
// decoded bytes end at the first zero byte and at most 127 bytes are kept (a
// 128-byte zero-terminated buffer). Input that is not Base64 is decoded
// leniently, skipping the characters outside the alphabet.
QString decodeStoredText(const QString& base64);
