#pragma once
// AES (FIPS 197) over byte arrays in ECB, CBC, CFB128 and OFB. The block
// cipher itself comes from OpenSSL; padding is applied here so that the
// ciphertext of existing configuration files stays byte-identical.

#include <QByteArray>

class QAESEncryption {
public:
    enum Aes { AES_128 = 0, AES_192 = 1, AES_256 = 2 };
    enum Mode { ECB = 0, CBC = 1, CFB = 2, OFB = 3 };
    enum Padding { ZERO = 0, PKCS7 = 1, ISO = 2 };

    static constexpr int kBlockSize = 16;

    QAESEncryption(Aes level, Mode mode, Padding padding = ISO);

    // One-shot helpers. An empty result means the key or vector had the
    // wrong size, or the cipher failed.
    static QByteArray encryptData(Aes level, Mode mode, const QByteArray& rawText,
                                  const QByteArray& key, const QByteArray& iv = QByteArray(),
                                  Padding padding = ISO);
    static QByteArray decryptData(Aes level, Mode mode, const QByteArray& rawText,
                                  const QByteArray& key, const QByteArray& iv = QByteArray(),
                                  Padding padding = ISO);

    // Pads and encrypts.
    QByteArray encode(const QByteArray& rawText, const QByteArray& key,
                      const QByteArray& iv = QByteArray()) const;
    // Decrypts and returns the padding with the plaintext: the caller knows
    // whether anything was padded.
    QByteArray decode(const QByteArray& rawText, const QByteArray& key,
                      const QByteArray& iv = QByteArray()) const;

    // Bytes appended to a plaintext of the given length before encryption.
    QByteArray padding(qsizetype length) const;

    Aes level() const { return mLevel; }
    Mode mode() const { return mMode; }
    Padding paddingMode() const { return mPadding; }
    int keySize() const { return mKeySize; }
    int rounds() const { return mRounds; }

private:
    bool inputsValid(const QByteArray& key, const QByteArray& iv) const;
    // Runs the cipher over head followed by tail in one pass.
    QByteArray run(const char* head, qsizetype headLength, const QByteArray& tail,
                   const QByteArray& key, const QByteArray& iv, bool encrypt) const;

    Aes mLevel;
    Mode mMode;
    Padding mPadding;
    int mKeySize = 0;  // bytes; 0 for an unknown level
    int mRounds = 0;
};
