# cmake -DPUB=<public key PEM> -DOUT=<header> -P ZentaroTestKeyHeader.cmake
# Writes the test key's public half as a C++ string for the test targets.
file(READ ${PUB} pem)
file(WRITE ${OUT} "#pragma once\n// Generated at build time; trusted by test builds only.\n"
                  "inline constexpr char kZentaroTestKeyPem[] = R\"zkey(${pem})zkey\";\n")
