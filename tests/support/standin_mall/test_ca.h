#pragma once

#include <string>
#include <vector>

namespace standin {

// A server certificate of the tests, with its key, as PEM files.
struct TestCertificate {
  std::string kind;  // good, wrong-host, expired, self-signed
  std::string certificateFile;
  std::string keyFile;
};

// Makes a fresh certificate authority of the tests in dir (ca.pem) and four server certificates
// for 127.0.0.1: signed by it and good for a day; signed by it for another host name only;
// signed by it and expired since yesterday; and one signed by itself. Throws
// std::runtime_error when OpenSSL fails.
std::vector<TestCertificate> MakeTestCertificates(const std::string& dir);

}  // namespace standin
