#include "model/qaesencryption.h"

#include <openssl/evp.h>

#include <limits>
#include <memory>

namespace {

struct CipherContextDeleter {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextDeleter>;

const EVP_CIPHER* cipherFor(QAESEncryption::Aes level, QAESEncryption::Mode mode) {
    switch (level) {
        case QAESEncryption::AES_128:
            switch (mode) {
                case QAESEncryption::ECB:
                    return EVP_aes_128_ecb();
                case QAESEncryption::CBC:
                    return EVP_aes_128_cbc();
                case QAESEncryption::CFB:
                    return EVP_aes_128_cfb128();
                case QAESEncryption::OFB:
                    return EVP_aes_128_ofb();
            }
            break;
        case QAESEncryption::AES_192:
            switch (mode) {
                case QAESEncryption::ECB:
                    return EVP_aes_192_ecb();
                case QAESEncryption::CBC:
                    return EVP_aes_192_cbc();
                case QAESEncryption::CFB:
                    return EVP_aes_192_cfb128();
                case QAESEncryption::OFB:
                    return EVP_aes_192_ofb();
            }
            break;
        case QAESEncryption::AES_256:
            switch (mode) {
                case QAESEncryption::ECB:
                    return EVP_aes_256_ecb();
                case QAESEncryption::CBC:
                    return EVP_aes_256_cbc();
                case QAESEncryption::CFB:
                    return EVP_aes_256_cfb128();
                case QAESEncryption::OFB:
                    return EVP_aes_256_ofb();
            }
            break;
    }
    return nullptr;
}

// EVP takes int lengths; feed very large buffers in whole-block slices.
constexpr qsizetype kMaxSlice = qsizetype(1) << 30;

bool update(EVP_CIPHER_CTX* context, bool encrypt, const char* input, qsizetype length,
            char* output, qsizetype* written) {
    while (length > 0) {
        const qsizetype slice = qMin(length, kMaxSlice);
        int produced = 0;
        auto* out = reinterpret_cast<unsigned char*>(output + *written);
        const auto* in = reinterpret_cast<const unsigned char*>(input);
        const int ok = encrypt ? EVP_EncryptUpdate(context, out, &produced, in, int(slice))
                               : EVP_DecryptUpdate(context, out, &produced, in, int(slice));
        if (ok != 1 || produced < 0) return false;
        *written += produced;
        input += slice;
        length -= slice;
    }
    return true;
}

}  // namespace

QAESEncryption::QAESEncryption(Aes level, Mode mode, Padding padding)
    : mLevel(level), mMode(mode), mPadding(padding) {
    switch (level) {
        case AES_128:
            mKeySize = 16;
            mRounds = 10;
            break;
        case AES_192:
            mKeySize = 24;
            mRounds = 12;
            break;
        case AES_256:
            mKeySize = 32;
            mRounds = 14;
            break;
    }
}

QByteArray QAESEncryption::encryptData(Aes level, Mode mode, const QByteArray& rawText,
                                       const QByteArray& key, const QByteArray& iv,
                                       Padding padding) {
    return QAESEncryption(level, mode, padding).encode(rawText, key, iv);
}

QByteArray QAESEncryption::decryptData(Aes level, Mode mode, const QByteArray& rawText,
                                       const QByteArray& key, const QByteArray& iv,
                                       Padding padding) {
    return QAESEncryption(level, mode, padding).decode(rawText, key, iv);
}

QByteArray QAESEncryption::padding(qsizetype length) const {
    const int rest = int((kBlockSize - length % kBlockSize) % kBlockSize);
    switch (mPadding) {
        case ZERO:
            return QByteArray(rest, '\0');
        case PKCS7: {
            // A full block when nothing is missing, so the count is never 0.
            const int count = rest == 0 ? kBlockSize : rest;
            return QByteArray(count, char(count));
        }
        case ISO: {
            // Stored files rely on whole-block plaintexts getting no extra block.
            if (rest == 0) return QByteArray();
            QByteArray bytes(rest, '\0');
            bytes[0] = char(0x80);
            return bytes;
        }
    }
    return QByteArray();
}

bool QAESEncryption::inputsValid(const QByteArray& key, const QByteArray& iv) const {
    if (mKeySize == 0 || key.size() != mKeySize) return false;
    if (mMode != ECB && iv.size() != kBlockSize) return false;
    return cipherFor(mLevel, mMode) != nullptr;
}

QByteArray QAESEncryption::encode(const QByteArray& rawText, const QByteArray& key,
                                  const QByteArray& iv) const {
    if (!inputsValid(key, iv)) return QByteArray();
    // Encrypt the whole blocks in place from the caller's buffer and only
    // copy the short tail, which gets the padding.
    const qsizetype whole = rawText.size() - rawText.size() % kBlockSize;
    QByteArray tail = rawText.mid(whole);
    tail.append(padding(rawText.size()));
    if (tail.size() % kBlockSize != 0) return QByteArray();
    return run(rawText.constData(), whole, tail, key, iv, true);
}

QByteArray QAESEncryption::decode(const QByteArray& rawText, const QByteArray& key,
                                  const QByteArray& iv) const {
    if (!inputsValid(key, iv)) return QByteArray();
    // Block modes cannot decrypt a torn last block; CFB and OFB can.
    if ((mMode == ECB || mMode == CBC) && rawText.size() % kBlockSize != 0) return QByteArray();
    return run(rawText.constData(), rawText.size(), QByteArray(), key, iv, false);
}

QByteArray QAESEncryption::run(const char* head, qsizetype headLength, const QByteArray& tail,
                               const QByteArray& key, const QByteArray& iv, bool encrypt) const {
    const qsizetype total = headLength + tail.size();
    if (total == 0) return QByteArray();
    if (total > std::numeric_limits<qsizetype>::max() - 2 * kBlockSize) return QByteArray();

    CipherContext context(EVP_CIPHER_CTX_new());
    if (!context) return QByteArray();
    const auto* keyBytes = reinterpret_cast<const unsigned char*>(key.constData());
    const auto* ivBytes =
        mMode == ECB ? nullptr : reinterpret_cast<const unsigned char*>(iv.constData());
    const EVP_CIPHER* cipher = cipherFor(mLevel, mMode);
    if (EVP_CipherInit_ex(context.get(), cipher, nullptr, keyBytes, ivBytes, encrypt ? 1 : 0) != 1)
        return QByteArray();
    // Padding is ours; OpenSSL must neither add nor strip any.
    if (EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1) return QByteArray();

    QByteArray output(total + kBlockSize, Qt::Uninitialized);
    qsizetype written = 0;
    if (!update(context.get(), encrypt, head, headLength, output.data(), &written))
        return QByteArray();
    if (!update(context.get(), encrypt, tail.constData(), tail.size(), output.data(), &written))
        return QByteArray();
    int finalBytes = 0;
    auto* finalOut = reinterpret_cast<unsigned char*>(output.data() + written);
    const int ok = encrypt ? EVP_EncryptFinal_ex(context.get(), finalOut, &finalBytes)
                           : EVP_DecryptFinal_ex(context.get(), finalOut, &finalBytes);
    if (ok != 1 || finalBytes < 0) return QByteArray();
    written += finalBytes;
    if (written != total) return QByteArray();
    output.resize(written);
    return output;
}
