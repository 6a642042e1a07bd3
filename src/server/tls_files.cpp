#include "server/tls_files.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// A passphrase no one gives: an encrypted key is refused, not asked about on a terminal.
int no_passphrase(char*, int, int, void*) {
    return 0;
}

bool readable(const std::string& path, std::string& error) {
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (f == nullptr) {
        error = path + ": cannot be read: " + std::strerror(errno);
        return false;
    }
    std::fclose(f);
    return true;
}

}  // namespace

bool check_tls_files(const std::string& certificate, const std::string& private_key, std::string& error) {
    if (!readable(certificate, error) || !readable(private_key, error))
        return false;
    const std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context(SSL_CTX_new(TLS_server_method()),
                                                                    SSL_CTX_free);
    bool good = context != nullptr;
    if (!good) {
        error = "TLS cannot start";
    } else if (SSL_CTX_use_certificate_chain_file(context.get(), certificate.c_str()) != 1) {
        error = certificate + ": not a PEM certificate";
        good = false;
    } else {
        std::FILE* f = std::fopen(private_key.c_str(), "r");
        const std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(
            f != nullptr ? PEM_read_PrivateKey(f, nullptr, no_passphrase, nullptr) : nullptr, EVP_PKEY_free);
        if (f != nullptr)
            std::fclose(f);
        if (key == nullptr) {
            error = private_key + ": not an unencrypted PEM private key";
            good = false;
        } else if (SSL_CTX_use_PrivateKey(context.get(), key.get()) != 1 ||
                   SSL_CTX_check_private_key(context.get()) != 1) {
            error = private_key + ": not the private key of " + certificate;
            good = false;
        }
    }
    ERR_clear_error();
    return good;
}
