#pragma once
// The public keys whose Ed25519 signatures the program trusts on what the
// download server publishes (version.xml, firmversion.xml, the catalogue,
// picture packages, firmware). This is the only place in the tree that names
// them; README "Signed releases" explains how a publisher signs with the
// matching private key. More keys come only from the root-only file
// SignatureVerifier::keyFilePath(), never from config.ini.

struct TrustedKey {
    const char* name;
    const char* pem;
};

inline constexpr TrustedKey kTrustedKeys[] = {
    {"zentaro-release-1",
     "-----BEGIN PUBLIC KEY-----\n"
     "MCowBQYDK2VwAyEALv63zHr4TApavqk2PS3zbqveG5ercLK3ZSDcvvyzsTo=\n"
     "-----END PUBLIC KEY-----\n"},
};
