// A certificate authority made at run time for TLS tests, so that no key is
// ever committed: it signs server certificates for the loopback server, and a
// client trusts it through a PEM file.
#pragma once

#include <string>
#include <vector>

namespace rivolet::testing {

struct TestCertificate {
  std::string certificate_pem;
  std::string key_pem;
};

class TestAuthority {
 public:
  // A new authority: a P-256 key and a self-signed CA certificate.
  TestAuthority();
  ~TestAuthority();
  TestAuthority(const TestAuthority&) = delete;
  TestAuthority& operator=(const TestAuthority&) = delete;

  // One authority per process, made on first use (making one takes a moment).
  static const TestAuthority& Shared();

  const std::string& certificate_pem() const { return certificate_pem_; }
  // A file holding certificate_pem(), for HttpClientSettings::extra_ca_file;
  // removed when the authority goes.
  const std::string& CertificateFile() const { return certificate_file_; }

  // A server certificate valid from an hour ago for a week, for `names`: each
  // an IPv4 or IPv6 address or a DNS name. The first also becomes the
  // subject's common name.
  TestCertificate Issue(const std::vector<std::string>& names) const;

 private:
  std::string certificate_pem_;
  std::string key_pem_;
  std::string certificate_file_;
};

}  // namespace rivolet::testing
