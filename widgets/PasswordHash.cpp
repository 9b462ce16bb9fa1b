#include "widgets/PasswordHash.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QStringList>
#include <QtNetwork/QPasswordDigestor>

#include "widgets/StoredText.h"

namespace {

constexpr char kScheme[] = "pbkdf2-sha256";
constexpr int kSaltBytes = 16;
constexpr int kKeyBytes = 32;
// A stored count above this is not one this program wrote; deriving with it
// would only stall the login.
constexpr int kMaxIterations = 10000000;

QByteArray derive(const QString& password, const QByteArray& salt, int iterations, int bytes) {
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256,
                                              password.trimmed().toUtf8(), salt, iterations,
                                              static_cast<quint64>(bytes));
}

bool sameBytes(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size()) {
        return false;
    }
    unsigned char diff = 0;  // no early exit: the time taken tells nothing
    for (int i = 0; i < a.size(); ++i) {
        diff |= static_cast<unsigned char>(a.at(i) ^ b.at(i));
    }
    return diff == 0;
}

}  // namespace

QString hashPassword(const QString& password) {
    QByteArray salt(kSaltBytes, '\0');
    QRandomGenerator::system()->generate(salt.begin(), salt.end());
    const QByteArray key = derive(password, salt, kPasswordIterations, kKeyBytes);
    return QString("%1$%2$%3$%4")
        .arg(kScheme)
        .arg(kPasswordIterations)
        .arg(QString::fromLatin1(salt.toBase64()), QString::fromLatin1(key.toBase64()));
}

bool isPasswordHash(const QString& stored) {
    // '$' is outside the Base64 alphabet: no older value starts this way.
    return stored.startsWith(QString(kScheme) + '$');
}

bool passwordMatches(const QString& stored, const QString& typed) {
    if (!isPasswordHash(stored)) {
        return decodeStoredText(stored).trimmed() == typed.trimmed();
    }
    const QStringList parts = stored.split('$');
    if (parts.size() != 4) {
        return false;
    }
    bool ok = false;
    const int iterations = parts.at(1).toInt(&ok);
    const QByteArray salt = QByteArray::fromBase64(parts.at(2).toLatin1());
    const QByteArray key = QByteArray::fromBase64(parts.at(3).toLatin1());
    if (!ok || iterations < 1 || iterations > kMaxIterations || salt.isEmpty() || key.isEmpty()) {
        return false;
    }
    return sameBytes(derive(typed, salt, iterations, key.size()), key);
}
