// Run-time certificate authority for TLS tests, built with OpenSSL.
#include "tests/support/tls_authority.h"

#include <arpa/inet.h>
#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace rivolet::testing {
namespace {

template <typename T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* p) const { Free(p); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using CertPtr = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using BioPtr = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;

void Check(bool ok, const char* what) {
  if (!ok) {
    ERR_clear_error();
    throw std::runtime_error(std::string("test authority: ") + what);
  }
}

KeyPtr NewKey() {
  KeyPtr key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
  Check(key != nullptr, "key generation failed");
  return key;
}

KeyPtr ReadKey(const std::string& pem) {
  BioPtr bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
  KeyPtr key(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
  Check(key != nullptr, "cannot read key");
  return key;
}

CertPtr ReadCertificate(const std::string& pem) {
  BioPtr bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
  CertPtr cert(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
  Check(cert != nullptr, "cannot read certificate");
  return cert;
}

std::string BioText(BIO* bio) {
  char* data = nullptr;
  long size = BIO_get_mem_data(bio, &data);
  return std::string(data, static_cast<std::size_t>(size));
}

std::string KeyPem(EVP_PKEY* key) {
  BioPtr bio(BIO_new(BIO_s_mem()));
  Check(PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr,
                                 nullptr) == 1,
        "cannot write key");
  return BioText(bio.get());
}

std::string CertificatePem(X509* cert) {
  BioPtr bio(BIO_new(BIO_s_mem()));
  Check(PEM_write_bio_X509(bio.get(), cert) == 1, "cannot write certificate");
  return BioText(bio.get());
}

void AddExtension(X509* cert, X509* issuer, int nid, const std::string& value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
  Check(ext != nullptr, "bad extension");
  X509_add_ext(cert, ext, -1);
  X509_EXTENSION_free(ext);
}

// A certificate for `key` with the common name `name`, valid from an hour
// ago; issuer fields are filled in by the caller.
CertPtr NewCertificate(EVP_PKEY* key, const std::string& name, long days) {
  CertPtr cert(X509_new());
  Check(cert != nullptr, "out of memory");
  X509_set_version(cert.get(), 2);
  unsigned char serial[8];
  Check(RAND_bytes(serial, sizeof serial) == 1, "no random bytes");
  serial[0] &= 0x7f;
  BIGNUM* bn = BN_bin2bn(serial, sizeof serial, nullptr);
  BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(cert.get()));
  BN_free(bn);
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), days * 24 * 3600);
  X509_set_pubkey(cert.get(), key);
  X509_NAME* subject = X509_get_subject_name(cert.get());
  X509_NAME_add_entry_by_txt(
      subject, "O", MBSTRING_ASC,
      reinterpret_cast<const unsigned char*>("Rivolet tests"), -1, -1, 0);
  X509_NAME_add_entry_by_txt(
      subject, "CN", MBSTRING_ASC,
      reinterpret_cast<const unsigned char*>(name.c_str()), -1, -1, 0);
  return cert;
}

bool IsIpAddress(const std::string& name) {
  unsigned char buffer[16];
  return inet_pton(AF_INET, name.c_str(), buffer) == 1 ||
         inet_pton(AF_INET6, name.c_str(), buffer) == 1;
}

}  // namespace

TestAuthority::TestAuthority() {
  KeyPtr key = NewKey();
  CertPtr cert = NewCertificate(key.get(), "Rivolet test authority", 30);
  X509_set_issuer_name(cert.get(), X509_get_subject_name(cert.get()));
  AddExtension(cert.get(), cert.get(), NID_basic_constraints,
               "critical,CA:TRUE");
  AddExtension(cert.get(), cert.get(), NID_key_usage,
               "critical,keyCertSign,cRLSign");
  AddExtension(cert.get(), cert.get(), NID_subject_key_identifier, "hash");
  Check(X509_sign(cert.get(), key.get(), EVP_sha256()) > 0, "cannot sign");
  certificate_pem_ = CertificatePem(cert.get());
  key_pem_ = KeyPem(key.get());

  static std::atomic<int> counter{0};
  auto path = std::filesystem::temp_directory_path() /
              ("rivolet-test-ca-" + std::to_string(getpid()) + "-" +
               std::to_string(counter++) + ".pem");
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << certificate_pem_;
  out.close();
  if (!out)
    throw std::runtime_error("test authority: cannot write " + path.string());
  certificate_file_ = path.string();
}

TestAuthority::~TestAuthority() { std::remove(certificate_file_.c_str()); }

const TestAuthority& TestAuthority::Shared() {
  static const TestAuthority authority;
  return authority;
}

TestCertificate TestAuthority::Issue(
    const std::vector<std::string>& names) const {
  if (names.empty()) throw std::invalid_argument("test authority: no names");
  CertPtr ca = ReadCertificate(certificate_pem_);
  KeyPtr ca_key = ReadKey(key_pem_);
  KeyPtr key = NewKey();
  CertPtr cert = NewCertificate(key.get(), names.front(), 7);
  X509_set_issuer_name(cert.get(), X509_get_subject_name(ca.get()));
  std::string alt_names;
  for (const std::string& name : names) {
    if (!alt_names.empty()) alt_names += ',';
    alt_names += (IsIpAddress(name) ? "IP:" : "DNS:") + name;
  }
  AddExtension(cert.get(), ca.get(), NID_basic_constraints,
               "critical,CA:FALSE");
  AddExtension(cert.get(), ca.get(), NID_key_usage,
               "critical,digitalSignature");
  AddExtension(cert.get(), ca.get(), NID_ext_key_usage, "serverAuth");
  AddExtension(cert.get(), ca.get(), NID_subject_alt_name, alt_names);
  AddExtension(cert.get(), ca.get(), NID_subject_key_identifier, "hash");
  AddExtension(cert.get(), ca.get(), NID_authority_key_identifier,
               "keyid:always");
  Check(X509_sign(cert.get(), ca_key.get(), EVP_sha256()) > 0, "cannot sign");
  return {CertificatePem(cert.get()), KeyPem(key.get())};
}

}  // namespace rivolet::testing
