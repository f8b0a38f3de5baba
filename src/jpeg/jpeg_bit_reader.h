// The bit reader of entropy-coded data: bits come most significant first out
// of a 64-bit buffer. The byte pair FF 00 is a single FF data byte (byte
// stuffing). At a marker (FF followed by anything else) the reader stops
// taking bytes from the source and feeds 1 bits instead, leaving the marker
// unread for restart processing or the search for the next marker.
//
// Hot loops read through a JpegBitWindow, a copy of the buffer in local
// variables that the compiler keeps in registers, handed back to the reader
// when the window closes.
#pragma once

#include <cstdint>
#include <cstring>

#include "jpeg/jpeg_byte_source.h"
#include "jpeg/jpeg_errors.h"
#include "jpeg/jpeg_huffman.h"

// The buffered bits: the top `count` bits of `bits`, the next one highest.
struct JpegBitBuffer {
  std::uint64_t bits = 0;
  int count = 0;
};

class JpegBitReader {
 public:
  explicit JpegBitReader(JpegByteSource& source) : source_(source) {}

  // Drops the buffered bits; the next read starts at a byte boundary with
  // whatever follows in the source (after a restart marker, or at a scan).
  void reset() {
    buffer_ = {};
    at_marker_ = false;
  }

  // The next Huffman-coded symbol; throws jpeg_error_corrupt_data when the
  // bits form no code of the table.
  int decode(const JpegHuffmanTable& table);
  // `size` (1..16) raw bits as an unsigned number.
  unsigned read_bits(int size);
  // A coefficient of magnitude category `size` (1..15): `size` bits, where a
  // leading 0 bit means a negative value (T.81 F.2.2.1, EXTEND).
  int read_signed(int size);
  bool read_bit() { return read_bits(1) != 0; }

 private:
  friend class JpegBitWindow;

  // Tops `buffer` up with whole bytes, as many as fit (at least 57 bits
  // then), in the common case: not at a marker, and no FF among the next
  // eight buffered bytes. Returns false, changing nothing, otherwise.
  bool refill_fast(JpegBitBuffer& buffer);
  // Tops `buffer` up byte by byte to at least 57 bits: what refill_fast()
  // leaves.
  JpegBitBuffer refill(JpegBitBuffer buffer);

  JpegByteSource& source_;
  JpegBitBuffer buffer_;
  bool at_marker_ = false;
};

// The reader's buffer in local variables while the window is open; the
// reader must not be used directly meanwhile. Closing (also by an
// exception) hands the buffer back.
class JpegBitWindow {
 public:
  explicit JpegBitWindow(JpegBitReader& reader) : reader_(reader), buffer_(reader.buffer_) {}
  ~JpegBitWindow() { reader_.buffer_ = buffer_; }
  JpegBitWindow(const JpegBitWindow&) = delete;
  JpegBitWindow& operator=(const JpegBitWindow&) = delete;

  // Makes at least `size` (up to 57) bits available to the reads below.
  void ensure(int size) {
    if (buffer_.count < size && !reader_.refill_fast(buffer_)) buffer_ = reader_.refill(buffer_);
  }

  // The next lookup_bits bits, as a look-up table index.
  unsigned peek_lookup_bits() const {
    return static_cast<unsigned>(buffer_.bits >> (64 - JpegHuffmanTable::lookup_bits));
  }
  void skip(int size) {
    buffer_.bits <<= size;
    buffer_.count -= size;
  }

  // The next symbol; 16 bits must be available. Throws
  // jpeg_error_corrupt_data when the bits form no code of the table.
  int decode_buffered(const JpegHuffmanTable& table) {
    unsigned entry = table.lookup[peek_lookup_bits()];
    if (entry == 0) entry = jpeg_huffman_decode_long_code(table, static_cast<unsigned>(buffer_.bits >> 48));
    skip(static_cast<int>(entry >> 8));
    return static_cast<int>(entry & 0xFF);
  }
  // `size` (1..16) bits, that many available.
  unsigned take_bits(int size) {
    const unsigned value = static_cast<unsigned>(buffer_.bits >> (64 - size));
    skip(size);
    return value;
  }
  // A coefficient of magnitude category `size` (1..15), that many bits
  // available.
  int take_signed(int size) {
    const int value = static_cast<int>(take_bits(size));
    // A leading 0 bit means value - (2^size - 1); without a branch, which
    // the random signs of coefficients would mispredict half the time.
    const int leading_bit = value >> (size - 1);
    return value - ((leading_bit - 1) & ((1 << size) - 1));
  }

  // The reads of JpegBitReader, each making its bits available first.
  int decode(const JpegHuffmanTable& table) {
    ensure(16);
    return decode_buffered(table);
  }
  unsigned read_bits(int size) {
    ensure(size);
    return take_bits(size);
  }
  int read_signed(int size) {
    ensure(size);
    return take_signed(size);
  }
  bool read_bit() { return read_bits(1) != 0; }

 private:
  JpegBitReader& reader_;
  JpegBitBuffer buffer_;
};

inline bool JpegBitReader::refill_fast(JpegBitBuffer& buffer) {
  if (at_marker_ || source_.buffered() < 8) return false;
  std::uint64_t next;
  std::memcpy(&next, source_.buffered_bytes(), sizeof next);
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  next = __builtin_bswap64(next);  // the first byte highest
#endif
  // An FF byte is a zero byte of the complement.
  const std::uint64_t complement = ~next;
  if (((complement - 0x0101010101010101u) & ~complement & 0x8080808080808080u) != 0) return false;
  const int taken = (64 - buffer.count) >> 3;  // 1..8: the buffer holds at most 56 bits here
  buffer.bits |= (next & ~std::uint64_t{0} << (64 - 8 * taken)) >> buffer.count;
  buffer.count += 8 * taken;
  source_.advance(taken);
  return true;
}

inline int JpegBitReader::decode(const JpegHuffmanTable& table) { return JpegBitWindow(*this).decode(table); }

inline unsigned JpegBitReader::read_bits(int size) { return JpegBitWindow(*this).read_bits(size); }

inline int JpegBitReader::read_signed(int size) { return JpegBitWindow(*this).read_signed(size); }
