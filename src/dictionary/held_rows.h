#pragma once
// One column of a dataset's held rows: the values of all rows in one buffer of UTF-16 code units,
// with each row's place in it and a null mark, so that holding and scanning 100,000 rows costs no
// allocation per value. A replaced value is appended to the buffer and the row pointed at it.
//
// A copy shares the values until one of the two changes a value (copy on write): two datasets
// that ran the same statement hold one read of the rows, and an edit stored through one leaves
// the other's values as they were read.

#include <QString>
#include <QStringDecoder>
#include <QStringView>
#include <memory>
#include <vector>

namespace ravlek {

class HeldColumn {
 public:
  explicit HeldColumn(QString name = QString())
      : name_(std::move(name)), data_(std::make_shared<Data>()) {}

  const QString& Name() const { return name_; }
  void AppendNull() {
    Data& d = Own();
    d.begins.push_back(static_cast<quint32>(d.units.size()));
    d.ends.push_back(static_cast<quint32>(d.units.size()));
    d.nulls.push_back(1);
  }
  void Append(QStringView text) {
    Data& d = Own();
    d.begins.push_back(static_cast<quint32>(d.units.size()));
    d.units.insert(d.units.end(), text.utf16(), text.utf16() + text.size());
    d.ends.push_back(static_cast<quint32>(d.units.size()));
    d.nulls.push_back(0);
  }
  // Appends UTF-8 text, decoded straight into the buffer.
  void AppendUtf8(const char* bytes, qsizetype size, QStringDecoder& decoder) {
    Data& d = Own();
    const size_t start = d.units.size();
    d.begins.push_back(static_cast<quint32>(start));
    d.units.resize(start + static_cast<size_t>(size));  // never more UTF-16 units than bytes
    QChar* out = reinterpret_cast<QChar*>(d.units.data() + start);
    const QChar* end = decoder.appendToBuffer(out, QByteArrayView(bytes, size));
    d.units.resize(start + static_cast<size_t>(end - out));
    d.ends.push_back(static_cast<quint32>(d.units.size()));
    d.nulls.push_back(0);
  }
  void Replace(int row, QStringView text) {
    Data& d = Own();
    const auto index = static_cast<size_t>(row);
    d.begins[index] = static_cast<quint32>(d.units.size());
    d.units.insert(d.units.end(), text.utf16(), text.utf16() + text.size());
    d.ends[index] = static_cast<quint32>(d.units.size());
    d.nulls[index] = 0;
  }
  void ReplaceNull(int row) {
    Data& d = Own();
    const auto index = static_cast<size_t>(row);
    d.begins[index] = d.ends[index] = static_cast<quint32>(d.units.size());
    d.nulls[index] = 1;
  }
  bool IsNull(int row) const { return data_->nulls[static_cast<size_t>(row)] != 0; }
  // The row's value; empty for null.
  QStringView View(int row) const {
    const auto index = static_cast<size_t>(row);
    return QStringView(data_->units.data() + data_->begins[index],
                       static_cast<qsizetype>(data_->ends[index] - data_->begins[index]));
  }

 private:
  struct Data {
    std::vector<char16_t> units;
    std::vector<quint32> begins;
    std::vector<quint32> ends;
    std::vector<quint8> nulls;
  };
  // The values to change, copied first while another column shares them.
  Data& Own() {
    if (data_.use_count() > 1) data_ = std::make_shared<Data>(*data_);
    return *data_;
  }

  QString name_;
  std::shared_ptr<Data> data_;
};

}  // namespace ravlek
