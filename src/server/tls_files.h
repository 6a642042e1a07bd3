#pragma once

// The certificate and private key the WebSocket port's TLS is given, checked before the server starts:
// the library that serves TLS takes files it cannot use without a word, and every browser's handshake
// would then fail. Both PEM, the certificate possibly a chain, the key unencrypted and the
// certificate's own.
#include <string>

// False with the reason, naming the file, for a file that cannot be read or is not PEM of its kind,
// and for a key that is not the certificate's.
bool check_tls_files(const std::string& certificate, const std::string& private_key, std::string& error);
