#pragma once
// One column of a dataset's held rows: the values of all rows in one buffer of UTF-16 code units,
// with each row's place in it and a null mark, so that holding and scanning 100,000 rows costs no
// allocation per value. A replaced value is appended to the buffer and the row pointed at it.
//
// Reading a million rows is bounded by how values reach the buffer: the buffers grow without
// being zero-filled first (realloc, which moves no bytes for a large block), UTF-8 is decoded in
// place (ASCII widened directly), and a row costs five bytes besides its text (where it begins
// and a mark; it ends where the next row begins).
//
// A copy shares the values until one of the two changes a value (copy on write): two datasets
// that ran the same statement hold one read of the rows, and an edit stored through one leaves
// the other's values as they were read.

#include <QString>
#include <QStringDecoder>
#include <QStringView>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <unordered_map>
#ifdef __linux__
#include <sys/mman.h>
#endif

namespace ravlek {

// A growing array of plain values whose new room is not filled before it is written. A large
// array lives in pages of its own that grow and shrink in place (mremap on Linux): growing it
// copies nothing, and giving back the room beyond the values moves nothing.
template <typename T>
class RawBuffer {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  RawBuffer() = default;
  RawBuffer(const RawBuffer& other) { Append(other.data_, other.size_); }
  RawBuffer& operator=(const RawBuffer&) = delete;
  ~RawBuffer() { Release(); }

  size_t size() const { return size_; }
  T* data() { return data_; }
  const T* data() const { return data_; }
  T& operator[](size_t i) { return data_[i]; }
  const T& operator[](size_t i) const { return data_[i]; }

  // Room for `count` more values at the end, not yet counted in size().
  T* Reserve(size_t count) {
    if (size_ + count > capacity_) Grow(size_ + count);
#ifdef __linux__
    if (paged_ && size_ + count > populated_) Populate(size_ + count);
#endif
    return data_ + size_;
  }
  void Commit(size_t count) {
    size_ += count;
  }
  void push_back(T value) {
    Reserve(1)[0] = value;
    ++size_;
  }
  void Append(const T* values, size_t count) {
    if (count == 0) return;
    std::memcpy(Reserve(count), values, count * sizeof(T));
    size_ += count;
  }
  // Gives back the room grown beyond the values.
  void Squeeze() {
    if (capacity_ > size_ && size_ > 0) Resize(size_);
  }

 private:
  static constexpr size_t kPagedBytes = size_t{256} << 10;

  void Grow(size_t needed) {
    size_t capacity = capacity_ < 64 ? 64 : capacity_;
    while (capacity < needed) capacity += capacity / 2 + capacity / 4 + capacity / 8 + 64;
    Resize(capacity);
  }
  void Resize(size_t capacity) {
    const size_t bytes = capacity * sizeof(T);
#ifdef __linux__
    if (paged_ || bytes >= kPagedBytes) {
      void* moved = MAP_FAILED;
      if (paged_) {
        moved = mremap(data_, capacity_ * sizeof(T), bytes, MREMAP_MAYMOVE);
      } else {
        moved = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (moved != MAP_FAILED && size_ > 0) std::memcpy(moved, data_, size_ * sizeof(T));
        if (moved != MAP_FAILED) std::free(data_);
      }
      if (moved == MAP_FAILED) throw std::bad_alloc();
      // Large pages where the system has them: a million rows touch hundreds of megabytes, and a
      // fault per 4 KB page costs more than decoding the values into them.
      madvise(moved, bytes, MADV_HUGEPAGE);
      data_ = static_cast<T*>(moved);
      if (!paged_) populated_ = 0;
      capacity_ = capacity;
      populated_ = std::min(populated_, capacity_);
      paged_ = true;
      return;
    }
#endif
    void* grown = std::realloc(data_, bytes);
    if (!grown) throw std::bad_alloc();
    data_ = static_cast<T*>(grown);
    capacity_ = capacity;
  }
#ifdef __linux__
  // Makes the pages up to a few megabytes beyond `needed` present in one call: a fault per page,
  // taken one at a time as the values are written, costs more than the writing itself.
  void Populate(size_t needed) {
    // Ahead by half of what is held, from 64 KB to 4 MB: a short column is not given megabytes.
    const size_t ahead =
        std::clamp(size_ / 2, (size_t{64} << 10) / sizeof(T), (size_t{4} << 20) / sizeof(T));
    const size_t end = std::min(capacity_, std::max(needed, populated_ + ahead));
    const size_t page = 4096;
    const auto from = reinterpret_cast<uintptr_t>(data_ + populated_) & ~(page - 1);
    const auto to = reinterpret_cast<uintptr_t>(data_ + end);
#ifdef MADV_POPULATE_WRITE
    madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
#endif
    populated_ = end;
  }
#endif
  void Release() {
#ifdef __linux__
    if (paged_) {
      munmap(data_, capacity_ * sizeof(T));
      return;
    }
#endif
    std::free(data_);
  }

  T* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
  size_t populated_ = 0;  // paged: the values' room known to be present
  bool paged_ = false;
};

class HeldColumn {
 public:
  explicit HeldColumn(QString name = QString())
      : name_(std::move(name)), data_(std::make_shared<Data>()) {}

  const QString& Name() const { return name_; }
  int RowCount() const { return static_cast<int>(data_->marks.size()); }

  void AppendNull() {
    Data& d = Own();
    d.marks.push_back(kNull);
    d.EndRow();
  }
  void Append(QStringView text) {
    Data& d = Own();
    d.units.Append(text.utf16(), static_cast<size_t>(text.size()));
    d.marks.push_back(0);
    d.EndRow();
  }
  // Appends UTF-8 text, decoded straight into the buffer: well-formed text here, anything else
  // (from the first byte that is not) by Qt's decoder.
  void AppendUtf8(const char* bytes, qsizetype size, QStringDecoder& decoder) {
    Data& d = Own();
    const auto count = static_cast<size_t>(size);
    char16_t* out = d.units.Reserve(count);  // never more UTF-16 units than bytes
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    size_t i = 0;
    size_t o = 0;
    while (i < count) {
      // Eight ASCII bytes at a time: romanisations and most notes are ASCII.
      while (count - i >= 8) {
        std::uint64_t word;
        std::memcpy(&word, in + i, 8);
        if (word & 0x8080808080808080u) break;
        for (size_t k = 0; k < 8; ++k) out[o + k] = in[i + k];
        i += 8;
        o += 8;
      }
      if (i == count) break;
      const unsigned char b = in[i];
      if (b < 0x80) {
        out[o++] = b;
        ++i;
        continue;
      }
      const size_t left = count - i;
      if (b >= 0xC2 && b <= 0xDF && left >= 2 && (in[i + 1] & 0xC0) == 0x80) {
        out[o++] = static_cast<char16_t>(((b & 0x1F) << 6) | (in[i + 1] & 0x3F));
        i += 2;
        continue;
      }
      if (b >= 0xE0 && b <= 0xEF && left >= 3 && (in[i + 1] & 0xC0) == 0x80 &&
          (in[i + 2] & 0xC0) == 0x80) {
        const char32_t code = ((b & 0x0F) << 12) | ((in[i + 1] & 0x3F) << 6) | (in[i + 2] & 0x3F);
        if (code >= 0x800 && (code < 0xD800 || code > 0xDFFF)) {
          out[o++] = static_cast<char16_t>(code);
          i += 3;
          continue;
        }
      }
      if (b >= 0xF0 && b <= 0xF4 && left >= 4 && (in[i + 1] & 0xC0) == 0x80 &&
          (in[i + 2] & 0xC0) == 0x80 && (in[i + 3] & 0xC0) == 0x80) {
        const char32_t code = ((b & 0x07) << 18) | ((in[i + 1] & 0x3F) << 12) |
                              ((in[i + 2] & 0x3F) << 6) | (in[i + 3] & 0x3F);
        if (code >= 0x10000 && code <= 0x10FFFF) {
          out[o++] = static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
          out[o++] = static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
          i += 4;
          continue;
        }
      }
      break;
    }
    if (i < count) {
      auto* rest = reinterpret_cast<QChar*>(out + o);
      o += static_cast<size_t>(
          decoder.appendToBuffer(rest,
                                 QByteArrayView(bytes + i, size - static_cast<qsizetype>(i))) -
          rest);
    }
    d.units.Commit(o);
    d.marks.push_back(0);
    d.EndRow();
  }
  // Gives back the room the buffers grew beyond the values; for the end of a read.
  void Squeeze() {
    Data& d = Own();
    d.units.Squeeze();
    d.begins.Squeeze();
    d.marks.Squeeze();
  }

  void Replace(int row, QStringView text) {
    Data& d = Own();
    const auto begin = static_cast<quint32>(d.units.size());
    d.units.Append(text.utf16(), static_cast<size_t>(text.size()));
    d.moved[row] = {begin, static_cast<quint32>(d.units.size())};
    d.marks[static_cast<size_t>(row)] = kMoved;
  }
  void ReplaceNull(int row) {
    Data& d = Own();
    const auto end = static_cast<quint32>(d.units.size());
    d.moved[row] = {end, end};
    d.marks[static_cast<size_t>(row)] = kMoved | kNull;
  }
  bool IsNull(int row) const { return (data_->marks[static_cast<size_t>(row)] & kNull) != 0; }
  // The row's value; empty for null.
  QStringView View(int row) const {
    const Data& d = *data_;
    const auto index = static_cast<size_t>(row);
    quint32 begin = d.begins[index];
    quint32 end = d.begins[index + 1];
    if (d.marks[index] & kMoved) {
      const auto& span = d.moved.at(row);
      begin = span.first;
      end = span.second;
    }
    return QStringView(d.units.data() + begin, static_cast<qsizetype>(end - begin));
  }

 private:
  static constexpr quint8 kNull = 1;
  static constexpr quint8 kMoved = 2;  // replaced: the value is elsewhere in the buffer

  struct Data {
    Data() { begins.push_back(0); }
    void EndRow() { begins.push_back(static_cast<quint32>(units.size())); }

    RawBuffer<char16_t> units;
    RawBuffer<quint32> begins;  // row i's value is units[begins[i], begins[i + 1])
    RawBuffer<quint8> marks;
    std::unordered_map<int, std::pair<quint32, quint32>> moved;  // replaced rows' values
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
