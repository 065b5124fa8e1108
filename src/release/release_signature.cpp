#include "release/release_signature.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <QFile>
#include <memory>

#include "release/download.h"
#include "release/http_transfer.h"

namespace ravlek {
namespace {

struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct BioFree {
  void operator()(BIO* bio) const { BIO_free(bio); }
};
struct ContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;

constexpr size_t kSignatureBytes = 64;
constexpr size_t kRawKeyBytes = 32;

Key ParsePublicKey(const QByteArray& text) {
  const QByteArray trimmed = text.trimmed();
  if (trimmed.startsWith("-----BEGIN")) {
    std::unique_ptr<BIO, BioFree> bio(BIO_new_mem_buf(trimmed.constData(), trimmed.size()));
    return Key(PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr));
  }
  const QByteArray bytes = QByteArray::fromBase64(trimmed);
  if (static_cast<size_t>(bytes.size()) == kRawKeyBytes) {
    return Key(EVP_PKEY_new_raw_public_key(
        EVP_PKEY_ED25519, nullptr, reinterpret_cast<const unsigned char*>(bytes.constData()),
        kRawKeyBytes));
  }
  const auto* der = reinterpret_cast<const unsigned char*>(bytes.constData());
  return Key(d2i_PUBKEY(nullptr, &der, bytes.size()));
}

QByteArray WritePem(EVP_PKEY* key, bool privatePart) {
  std::unique_ptr<BIO, BioFree> bio(BIO_new(BIO_s_mem()));
  const int written =
      privatePart ? PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr)
                  : PEM_write_bio_PUBKEY(bio.get(), key);
  if (written != 1) return {};
  char* data = nullptr;
  const long size = BIO_get_mem_data(bio.get(), &data);
  return QByteArray(data, static_cast<qsizetype>(size));
}

}  // namespace

bool VerifyReleaseSignature(const QByteArray& data, const QByteArray& signature,
                            const QByteArray& publicKey) {
  const QByteArray raw = QByteArray::fromBase64(signature.trimmed());
  if (static_cast<size_t>(raw.size()) != kSignatureBytes) return false;
  const Key key = ParsePublicKey(publicKey);
  if (!key || EVP_PKEY_id(key.get()) != EVP_PKEY_ED25519) return false;
  std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
  return context &&
         EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) == 1 &&
         EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(raw.constData()),
                          kSignatureBytes, reinterpret_cast<const unsigned char*>(data.constData()),
                          static_cast<size_t>(data.size())) == 1;
}

bool ReleaseFileSigned(const QString& url, const QString& file, const ReleaseSettings& settings,
                       const QString& caFile) {
  if (settings.publicKey.isEmpty()) return true;
  detail::TransferSettings transfer;
  transfer.url = url + QStringLiteral(".sig");
  transfer.protocols = "http,https";
  transfer.maxRedirects = 9;
  transfer.connectTimeoutMs = settings.timeouts.connectMs;
  transfer.stallTimeoutMs = settings.timeouts.stallMs;
  transfer.totalTimeoutMs = settings.manifestLimits.totalMs;
  transfer.maxBytes = 4096;
  transfer.caFile = caFile;
  const QByteArray signature = detail::FetchToMemory(transfer);
  if (signature.isEmpty()) return false;
  QFile content(file);
  if (!content.open(QIODevice::ReadOnly)) return false;
  return VerifyReleaseSignature(content.readAll(), signature, settings.publicKey);
}

QByteArray SignReleaseFile(const QByteArray& data, const QByteArray& privateKeyPem) {
  std::unique_ptr<BIO, BioFree> bio(
      BIO_new_mem_buf(privateKeyPem.constData(), privateKeyPem.size()));
  const Key key(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
  if (!key || EVP_PKEY_id(key.get()) != EVP_PKEY_ED25519) return {};
  std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
  unsigned char signature[kSignatureBytes];
  size_t length = sizeof(signature);
  if (!context || EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1 ||
      EVP_DigestSign(context.get(), signature, &length,
                     reinterpret_cast<const unsigned char*>(data.constData()),
                     static_cast<size_t>(data.size())) != 1) {
    return {};
  }
  return QByteArray(reinterpret_cast<const char*>(signature), static_cast<qsizetype>(length))
             .toBase64() +
         '\n';
}

ReleaseKeyPair MakeReleaseKeyPair() {
  EVP_PKEY* made = EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519");
  if (!made) return {};
  const Key key(made);
  return {WritePem(key.get(), true), WritePem(key.get(), false)};
}

}  // namespace ravlek
