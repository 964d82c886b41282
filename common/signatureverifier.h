#pragma once
// Detached Ed25519 signatures: a published file NAME comes with NAME.sig, the
// 64-byte signature over NAME's exact bytes (openssl pkeyutl -sign -rawin).
// A file counts as signed only when one of the trusted keys verifies it:
// the keys of trustedkeys.h, plus those of a PEM file beside the installed
// data that only root can write (keyFilePath()). Checked with libcrypto.

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>

class SignatureVerifier {
    Q_DECLARE_TR_FUNCTIONS(SignatureVerifier)
public:
    enum Result { Valid, Missing, Malformed, Untrusted };

    struct Key {
        QString name;
        QByteArray raw;  // the 32-byte Ed25519 public key
    };

    // Built-in keys, then the root-only file's, then any added ones.
    static QList<Key> trustedKeys();
    // Test builds trust their generated key this way (never the program).
    static void addTrustedKey(const QString& name, const QByteArray& pem);

    // `what` names the file in the log line. `keyName` receives the name of
    // the key that verified it.
    static Result verify(const QByteArray& data, const QByteArray& signature, const QString& what,
                         QString* keyName = nullptr);
    // The file at `path` against `path`.sig; Missing when there is no .sig.
    static Result verifyFile(const QString& path, QString* keyName = nullptr);
    static QString signaturePath(const QString& path) { return path + QStringLiteral(".sig"); }

    // <installed data>/trusted-keys.pem; read only when root owns it and its
    // folder and neither is writable by anyone else.
    static QString keyFilePath();
    static bool isRootOnly(const QString& path);

    // Every Ed25519 public key of a PEM text; `prefix` names them.
    static QList<Key> parsePem(const QByteArray& pem, const QString& prefix);

    // The refusal in words, naming the file: translated for the window, in
    // English once the terminal tool asked for it (setEnglish).
    static QString refusalText(Result result, const QString& fileName);
    static void setEnglish(bool english);
    static QString choose(const QString& translated, const QString& english);
};
