// A test certificate authority and server certificates, made with the openssl command the
// first time a process asks for them (no private key is ever committed), in a temporary
// folder removed when the process ends.
//
// - Authority(): the authority's certificate, which a test trusts through SSL_CERT_FILE
//   (TrustTestAuthority), never through the system's store.
// - Server(kind): a certificate and its key for a server on localhost / 127.0.0.1:
//   Good (by the authority, valid now), Expired (by the authority, ended in 2020),
//   WrongName (by the authority, for wrong.example only), OtherAuthority (names right,
//   valid now, by an authority nobody trusts).
// - Ok() is false when the certificates could not be made; Error() says why.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tolvane::test {

enum class TestCert { Good, Expired, WrongName, OtherAuthority };

struct CertFiles {
    std::filesystem::path cert;
    std::filesystem::path key;
};

class TestCertificates {
public:
    static const TestCertificates& Get();

    bool Ok() const { return m_error.empty(); }
    const std::string& Error() const { return m_error; }
    std::filesystem::path Authority() const { return m_dir / "ca.pem"; }
    CertFiles Server(TestCert kind) const;

    ~TestCertificates();

private:
    TestCertificates();
    bool Make();
    bool Run(const std::string& what, const std::vector<std::string>& args);

    std::filesystem::path m_dir;
    std::string m_error;
};

// Makes the process trust the test authority (and nothing else) from now on: SSL_CERT_FILE
// names its certificate and SSL_CERT_DIR an empty folder. Child processes inherit it.
// False when the certificates could not be made.
bool TrustTestAuthority();

} // namespace tolvane::test
