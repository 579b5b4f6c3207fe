#include "test_ca.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace standin {

namespace {

constexpr long kDay = 24 * 60 * 60;

using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using Certificate = std::unique_ptr<X509, decltype(&X509_free)>;

void Check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("OpenSSL failed to ") + what);
}

Key NewKey() {
  Key key(EVP_EC_gen("P-256"), EVP_PKEY_free);
  Check(key != nullptr, "make a key");
  return key;
}

void AddExtension(X509* certificate, X509V3_CTX& context, int nid, const char* value) {
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  Check(extension != nullptr, "make an extension");
  X509_add_ext(certificate, extension, -1);
  X509_EXTENSION_free(extension);
}

struct Validity {
  long fromDays;
  long toDays;
};

// A certificate for key, signed by issuer (itself when null). altName: "IP:..." or "DNS:...".
Certificate Issue(EVP_PKEY* key, const char* commonName, const char* altName, Validity validity,
                  X509* issuer, EVP_PKEY* issuerKey, bool authority, long serial) {
  Certificate certificate(X509_new(), X509_free);
  X509* c = certificate.get();
  Check(c != nullptr, "make a certificate");
  X509_set_version(c, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(c), serial);
  X509_gmtime_adj(X509_getm_notBefore(c), validity.fromDays * kDay);
  X509_gmtime_adj(X509_getm_notAfter(c), validity.toDays * kDay);
  X509_set_pubkey(c, key);
  X509_NAME* name = X509_get_subject_name(c);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
  X509_set_issuer_name(c, issuer != nullptr ? X509_get_subject_name(issuer) : name);
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, issuer != nullptr ? issuer : c, c, nullptr, nullptr, 0);
  AddExtension(c, context, NID_basic_constraints, authority ? "critical,CA:TRUE" : "CA:FALSE");
  AddExtension(c, context, NID_subject_key_identifier, "hash");
  if (authority) {
    AddExtension(c, context, NID_key_usage, "critical,keyCertSign,cRLSign");
  } else {
    AddExtension(c, context, NID_subject_alt_name, altName);
    AddExtension(c, context, NID_ext_key_usage, "serverAuth");
  }
  Check(X509_sign(c, issuerKey != nullptr ? issuerKey : key, EVP_sha256()) > 0, "sign");
  return certificate;
}

void Write(const std::string& path, X509* certificate, EVP_PKEY* key) {
  std::unique_ptr<FILE, decltype(&std::fclose)> file(std::fopen(path.c_str(), "w"), std::fclose);
  Check(file != nullptr, "open a file");
  const bool written = key != nullptr ? PEM_write_PrivateKey(file.get(), key, nullptr, nullptr, 0,
                                                             nullptr, nullptr) == 1
                                      : PEM_write_X509(file.get(), certificate) == 1;
  Check(written, "write a file");
}

}  // namespace

std::vector<TestCertificate> MakeTestCertificates(const std::string& dir) {
  const Key caKey = NewKey();
  const Certificate ca =
      Issue(caKey.get(), "Kobanu test authority", nullptr, {-1, 2}, nullptr, nullptr, true, 1);
  Write(dir + "/ca.pem", ca.get(), nullptr);

  struct Wanted {
    const char* kind;
    const char* altName;
    Validity validity;
    bool selfSigned;
  };
  const Wanted wanted[] = {{"good", "IP:127.0.0.1", {-1, 1}, false},
                           {"wrong-host", "DNS:other.example", {-1, 1}, false},
                           {"expired", "IP:127.0.0.1", {-3, -1}, false},
                           {"self-signed", "IP:127.0.0.1", {-1, 1}, true}};
  std::vector<TestCertificate> made;
  long serial = 2;
  for (const Wanted& w : wanted) {
    const Key key = NewKey();
    const Certificate certificate =
        Issue(key.get(), w.kind, w.altName, w.validity, w.selfSigned ? nullptr : ca.get(),
              w.selfSigned ? nullptr : caKey.get(), false, serial++);
    const std::string base = dir + "/" + w.kind;
    Write(base + ".pem", certificate.get(), nullptr);
    Write(base + ".key", nullptr, key.get());
    made.push_back({w.kind, base + ".pem", base + ".key"});
  }
  return made;
}

}  // namespace standin
