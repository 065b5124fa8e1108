#pragma once
// One column of a dataset's held rows: the values of all rows in one buffer of UTF-16 code units,
// with each row's place in it and a null mark, so that holding and scanning 100,000 rows costs no
// allocation per value. A replaced value is appended to the buffer and the row pointed at it.

#include <QString>
#include <QStringDecoder>
#include <QStringView>
#include <vector>

namespace ravlek {

class HeldColumn {
 public:
  explicit HeldColumn(QString name = QString()) : name_(std::move(name)) {}

  const QString& Name() const { return name_; }
  void AppendNull() {
    begins_.push_back(static_cast<quint32>(units_.size()));
    ends_.push_back(static_cast<quint32>(units_.size()));
    nulls_.push_back(1);
  }
  void Append(QStringView text) {
    begins_.push_back(static_cast<quint32>(units_.size()));
    units_.insert(units_.end(), text.utf16(), text.utf16() + text.size());
    ends_.push_back(static_cast<quint32>(units_.size()));
    nulls_.push_back(0);
  }
  // Appends UTF-8 text, decoded straight into the buffer.
  void AppendUtf8(const char* bytes, qsizetype size, QStringDecoder& decoder) {
    const size_t start = units_.size();
    begins_.push_back(static_cast<quint32>(start));
    units_.resize(start + static_cast<size_t>(size));  // never more UTF-16 units than bytes
    QChar* out = reinterpret_cast<QChar*>(units_.data() + start);
    const QChar* end = decoder.appendToBuffer(out, QByteArrayView(bytes, size));
    units_.resize(start + static_cast<size_t>(end - out));
    ends_.push_back(static_cast<quint32>(units_.size()));
    nulls_.push_back(0);
  }
  void Replace(int row, QStringView text) {
    const auto index = static_cast<size_t>(row);
    begins_[index] = static_cast<quint32>(units_.size());
    units_.insert(units_.end(), text.utf16(), text.utf16() + text.size());
    ends_[index] = static_cast<quint32>(units_.size());
    nulls_[index] = 0;
  }
  void ReplaceNull(int row) {
    const auto index = static_cast<size_t>(row);
    begins_[index] = ends_[index] = static_cast<quint32>(units_.size());
    nulls_[index] = 1;
  }
  bool IsNull(int row) const { return nulls_[static_cast<size_t>(row)] != 0; }
  // The row's value; empty for null.
  QStringView View(int row) const {
    const auto index = static_cast<size_t>(row);
    return QStringView(units_.data() + begins_[index],
                       static_cast<qsizetype>(ends_[index] - begins_[index]));
  }

 private:
  QString name_;
  std::vector<char16_t> units_;
  std::vector<quint32> begins_;
  std::vector<quint32> ends_;
  std::vector<quint8> nulls_;
};

}  // namespace ravlek
