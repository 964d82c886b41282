#include "common/signatureverifier.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <QDebug>
#include <QFile>
#include <QFileInfo>

#include "common/apppaths.h"
#include "common/trustedkeys.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {
constexpr int kRawKeySize = 32;
constexpr int kSignatureSize = 64;

QList<SignatureVerifier::Key>& addedKeys() {
    static QList<SignatureVerifier::Key> keys;
    return keys;
}

bool& englishWanted() {
    static bool english = false;
    return english;
}

QString fingerprint(const QByteArray& raw) {
    return QString::fromLatin1(raw.left(8).toHex());
}

void log(const QString& text) {
    qInfo().noquote() << QStringLiteral("=== SignatureVerifier ") + text + QStringLiteral(" ===");
}
}  // namespace

QList<SignatureVerifier::Key> SignatureVerifier::parsePem(const QByteArray& pem,
                                                          const QString& prefix) {
    QList<Key> keys;
    BIO* bio = BIO_new_mem_buf(pem.constData(), int(pem.size()));
    if (!bio) return keys;
    while (EVP_PKEY* pkey = PEM_read_bio_PUBKEY(bio, nullptr, nullptr, nullptr)) {
        unsigned char raw[kRawKeySize];
        size_t size = sizeof raw;
        if (EVP_PKEY_get_id(pkey) == EVP_PKEY_ED25519 &&
            EVP_PKEY_get_raw_public_key(pkey, raw, &size) == 1 && size == sizeof raw) {
            const QByteArray bytes(reinterpret_cast<const char*>(raw), kRawKeySize);
            keys.append({prefix + QLatin1Char(' ') + fingerprint(bytes), bytes});
        }
        EVP_PKEY_free(pkey);
    }
    BIO_free(bio);
    return keys;
}

QString SignatureVerifier::keyFilePath() {
    return AppPaths::dataFolder() + QStringLiteral("/trusted-keys.pem");
}

bool SignatureVerifier::isRootOnly(const QString& path) {
#ifdef Q_OS_UNIX
    // Both the file and the folder that holds it: whoever can write the
    // folder can put another file in its place.
    for (const QString& p : {path, QFileInfo(path).absolutePath()}) {
        struct stat st;
        if (::lstat(QFile::encodeName(p).constData(), &st) != 0) return false;
        if (S_ISLNK(st.st_mode) || st.st_uid != 0 || (st.st_mode & (S_IWGRP | S_IWOTH)))
            return false;
    }
    return true;
#else
    Q_UNUSED(path)
    return false;
#endif
}

QList<SignatureVerifier::Key> SignatureVerifier::trustedKeys() {
    QList<Key> keys;
    for (const TrustedKey& k : kTrustedKeys)
        keys += parsePem(QByteArray(k.pem), QString::fromLatin1(k.name));
    const QString file = keyFilePath();
    if (QFileInfo::exists(file)) {
        QFile f(file);
        if (!isRootOnly(file))
            log(QStringLiteral("密钥文件不是仅 root 可写，已忽略:{ %1 }").arg(file));
        else if (f.open(QIODevice::ReadOnly))
            keys += parsePem(f.read(1 << 20), QStringLiteral("trusted-keys.pem"));
    }
    keys += addedKeys();
    return keys;
}

void SignatureVerifier::addTrustedKey(const QString& name, const QByteArray& pem) {
    addedKeys() += parsePem(pem, name);
}

SignatureVerifier::Result SignatureVerifier::verify(const QByteArray& data,
                                                    const QByteArray& signature,
                                                    const QString& what, QString* keyName) {
    if (signature.isEmpty()) {
        log(QStringLiteral("没有签名:{ %1 }").arg(what));
        return Missing;
    }
    if (signature.size() != kSignatureSize) {
        log(QStringLiteral("签名格式错误:{ %1 } size={%2}").arg(what).arg(signature.size()));
        return Malformed;
    }
    for (const Key& key : trustedKeys()) {
        EVP_PKEY* pkey = EVP_PKEY_new_raw_public_key(
            EVP_PKEY_ED25519, nullptr, reinterpret_cast<const unsigned char*>(key.raw.constData()),
            size_t(key.raw.size()));
        if (!pkey) continue;
        EVP_MD_CTX* ctx = EVP_MD_CTX_new();
        // Ed25519 hashes internally: no digest is named.
        const bool ok =
            ctx && EVP_DigestVerifyInit(ctx, nullptr, nullptr, nullptr, pkey) == 1 &&
            EVP_DigestVerify(ctx, reinterpret_cast<const unsigned char*>(signature.constData()),
                             size_t(signature.size()),
                             reinterpret_cast<const unsigned char*>(data.constData()),
                             size_t(data.size())) == 1;
        EVP_MD_CTX_free(ctx);
        EVP_PKEY_free(pkey);
        if (ok) {
            log(QStringLiteral("签名有效:{ %1 } key={ %2 }").arg(what, key.name));
            if (keyName) *keyName = key.name;
            return Valid;
        }
    }
    log(QStringLiteral("签名不是任何受信任的密钥所签:{ %1 }").arg(what));
    return Untrusted;
}

SignatureVerifier::Result SignatureVerifier::verifyFile(const QString& path, QString* keyName) {
    QFile sig(signaturePath(path));
    if (!sig.exists()) {
        log(QStringLiteral("没有签名文件:{ %1 }").arg(signaturePath(path)));
        return Missing;
    }
    QFile file(path);
    if (!sig.open(QIODevice::ReadOnly) || !file.open(QIODevice::ReadOnly)) return Malformed;
    return verify(file.readAll(), sig.read(kSignatureSize + 1), path, keyName);
}

void SignatureVerifier::setEnglish(bool english) {
    englishWanted() = english;
}

QString SignatureVerifier::choose(const QString& translated, const QString& english) {
    return englishWanted() ? english : translated;
}

QString SignatureVerifier::refusalText(Result result, const QString& fileName) {
    switch (result) {
        case Valid:
            return QString();
        case Missing:
            return choose(tr("%1 没有签名，可能已被篡改，已拒绝").arg(fileName),
                          QStringLiteral("%1 has no signature and may have been altered; it was "
                                         "refused")
                              .arg(fileName));
        case Malformed:
            return choose(
                tr("%1 的签名已损坏，已拒绝").arg(fileName),
                QStringLiteral("the signature of %1 is damaged; it was refused").arg(fileName));
        case Untrusted:
            break;
    }
    return choose(tr("%1 的签名不是受信任的密钥所签，已拒绝").arg(fileName),
                  QStringLiteral("the signature of %1 is not from a trusted key; it was refused")
                      .arg(fileName));
}
