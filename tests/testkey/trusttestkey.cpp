// Linked into the test executables (and zentaro-cli-testkey) only: they trust
// the key the build generated, with which the local server tree is signed.
#include "common/signatureverifier.h"

#ifdef ZENTARO_TEST_KEY_HEADER
#include ZENTARO_TEST_KEY_HEADER

namespace {
const bool gTrusted = [] {
    SignatureVerifier::addTrustedKey(QStringLiteral("test key"), QByteArray(kZentaroTestKeyPem));
    return true;
}();
}  // namespace
#endif
