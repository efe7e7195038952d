#include "tests/support/TestCertificates.h"

#include "tests/support/ChildProcess.h"

#include <cstdlib>
#include <fstream>
#include <vector>

namespace tolvane::test {

namespace fs = std::filesystem;

namespace {

constexpr const char* kOpenssl = "/usr/bin/openssl";

const char* Stem(TestCert kind) {
    switch (kind) {
    case TestCert::Good:
        return "good";
    case TestCert::Expired:
        return "expired";
    case TestCert::WrongName:
        return "wrong-name";
    case TestCert::OtherAuthority:
        return "other-authority";
    }
    return "good";
}

// Requests, the two authorities and the extensions of each kind of server certificate.
std::string Config(const fs::path& dir) {
    const std::string base = dir.string();
    return "[ req ]\ndistinguished_name = dn\nprompt = no\n[ dn ]\nCN = unused\n"
           "[ authority ]\nbasicConstraints = critical,CA:true\n"
           "keyUsage = critical,keyCertSign,cRLSign\nsubjectKeyIdentifier = hash\n"
           "[ ca ]\ndefault_ca = test_ca\n"
           "[ test_ca ]\ndatabase = " +
           base + "/index.txt\nnew_certs_dir = " + base + "/issued\nserial = " + base +
           "/serial\ndefault_md = sha256\npolicy = any\nunique_subject = no\n"
           "email_in_dn = no\n"
           "[ any ]\norganizationName = optional\ncommonName = supplied\n"
           "[ server ]\nbasicConstraints = CA:false\nkeyUsage = critical,digitalSignature\n"
           "extendedKeyUsage = serverAuth\nsubjectAltName = DNS:localhost,IP:127.0.0.1\n"
           "[ wrong_name ]\nbasicConstraints = CA:false\nkeyUsage = critical,digitalSignature\n"
           "extendedKeyUsage = serverAuth\nsubjectAltName = DNS:wrong.example\n";
}

} // namespace

const TestCertificates& TestCertificates::Get() {
    static const TestCertificates certificates;
    return certificates;
}

TestCertificates::TestCertificates() {
    std::string pattern = (fs::temp_directory_path() / "tolvane-certs-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        m_error = "mkdtemp failed";
        return;
    }
    m_dir = pattern;
    Make();
}

TestCertificates::~TestCertificates() {
    std::error_code ignored;
    if (!m_dir.empty()) {
        fs::remove_all(m_dir, ignored);
    }
}

CertFiles TestCertificates::Server(TestCert kind) const {
    const std::string stem = Stem(kind);
    return {m_dir / (stem + ".pem"), m_dir / (stem + ".key")};
}

bool TestCertificates::Run(const std::string& what, const std::vector<std::string>& args) {
    const ProcessResult result = RunProcess(kOpenssl, args);
    if (result.status != 0) {
        m_error = "openssl " + what + ": " + result.err;
        return false;
    }
    return true;
}

bool TestCertificates::Make() {
    std::error_code ignored;
    fs::create_directories(m_dir / "issued", ignored);
    fs::create_directories(m_dir / "empty", ignored);
    const std::string config = (m_dir / "openssl.cnf").string();
    std::ofstream(config) << Config(m_dir);
    std::ofstream(m_dir / "index.txt");
    std::ofstream(m_dir / "serial") << "1000\n";
    const std::string dir = m_dir.string() + "/";
    const std::vector<std::string> newKey = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256",
                                             "-nodes"};
    auto authority = [&](const std::string& stem, const std::string& name) {
        std::vector<std::string> args = {"req", "-config", config, "-x509"};
        args.insert(args.end(), newKey.begin(), newKey.end());
        args.insert(args.end(),
                    {"-keyout", dir + stem + ".key", "-out", dir + stem + ".pem", "-days", "3650",
                     "-subj", "/O=Tolvane Tests/CN=" + name, "-extensions", "authority"});
        return Run("authority " + stem, args);
    };
    // dates: {} for "from now, a year"; else the start and end as openssl ca takes them.
    auto server = [&](TestCert kind, const std::string& signer, const std::string& name,
                      const std::string& extensions, const std::vector<std::string>& dates) {
        const std::string stem = Stem(kind);
        std::vector<std::string> request = {"req", "-config", config, "-new"};
        request.insert(request.end(), newKey.begin(), newKey.end());
        request.insert(request.end(), {"-keyout", dir + stem + ".key", "-out", dir + stem + ".csr",
                                       "-subj", "/O=Tolvane Tests/CN=" + name});
        std::vector<std::string> sign = {"ca",
                                         "-config",
                                         config,
                                         "-batch",
                                         "-notext",
                                         "-cert",
                                         dir + signer + ".pem",
                                         "-keyfile",
                                         dir + signer + ".key",
                                         "-in",
                                         dir + stem + ".csr",
                                         "-out",
                                         dir + stem + ".pem",
                                         "-extensions",
                                         extensions};
        if (dates.empty()) {
            sign.insert(sign.end(), {"-days", "365"});
        } else {
            sign.insert(sign.end(), {"-startdate", dates[0], "-enddate", dates[1]});
        }
        return Run("request " + stem, request) && Run("sign " + stem, sign);
    };
    return authority("ca", "Tolvane Test CA") && authority("other-ca", "Untrusted Test CA") &&
           server(TestCert::Good, "ca", "localhost", "server", {}) &&
           server(TestCert::Expired, "ca", "localhost", "server",
                  {"20200101000000Z", "20200201000000Z"}) &&
           server(TestCert::WrongName, "ca", "wrong.example", "wrong_name", {}) &&
           server(TestCert::OtherAuthority, "other-ca", "localhost", "server", {});
}

bool TrustTestAuthority() {
    const TestCertificates& certificates = TestCertificates::Get();
    if (!certificates.Ok()) {
        return false;
    }
    const fs::path noDir = certificates.Authority().parent_path() / "empty";
    ::setenv("SSL_CERT_FILE", certificates.Authority().c_str(), 1);
    ::setenv("SSL_CERT_DIR", noDir.c_str(), 1);
    return true;
}

} // namespace tolvane::test
