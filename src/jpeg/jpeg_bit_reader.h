// The bit reader of entropy-coded data: bits come most significant first out
// of a 64-bit buffer. The byte pair FF 00 is a single FF data byte (byte
// stuffing). At a marker (FF followed by anything else) the reader stops
// taking bytes from the source and feeds 1 bits instead, leaving the marker
// unread for restart processing or the search for the next marker.
#pragma once

#include <cstdint>

#include "jpeg/jpeg_byte_source.h"
#include "jpeg/jpeg_errors.h"
#include "jpeg/jpeg_huffman.h"

class JpegBitReader {
 public:
  explicit JpegBitReader(JpegByteSource& source) : source_(source) {}

  // Drops the buffered bits; the next read starts at a byte boundary with
  // whatever follows in the source (after a restart marker, or at a scan).
  void reset() {
    bits_ = 0;
    count_ = 0;
    fill_count_ = 0;
    at_marker_ = false;
  }

  // Whether bits from past the marker have been consumed: the data of this
  // scan or restart interval ran out before its last block (valid data
  // never does; the fill bits are only buffered ahead).
  bool exhausted() const { return count_ < fill_count_; }

  // Whether the data ends within the next `size` bits: a code that fails
  // there may have been cut short rather than corrupt.
  bool ends_within(int size) const { return count_ - size < fill_count_; }

  // The next Huffman-coded symbol; throws jpeg_error_corrupt_data when the
  // bits form no code of the table.
  int decode(const JpegHuffmanTable& table) {
    ensure(16);
    return decode_buffered(table);
  }

  // `size` (1..16) raw bits as an unsigned number.
  unsigned read_bits(int size) {
    ensure(size);
    return take_bits(size);
  }

  // A coefficient of magnitude category `size` (1..15): `size` bits, where a
  // leading 0 bit means a negative value (T.81 F.2.2.1, EXTEND).
  int read_signed(int size) {
    ensure(size);
    return take_signed(size);
  }

  bool read_bit() { return read_bits(1) != 0; }

  // The same without the refill, for hot loops that call ensure() once for
  // several reads: each needs that many bits buffered.
  void ensure(int size) {
    if (count_ < size) refill();
  }
  unsigned peek_lookup_bits() const { return static_cast<unsigned>(bits_ >> (64 - JpegHuffmanTable::lookup_bits)); }
  void skip(int size) { consume(size); }
  int decode_buffered(const JpegHuffmanTable& table) {  // 16 bits buffered
    const unsigned entry = table.lookup[peek_lookup_bits()];
    if (entry != 0) {
      consume(static_cast<int>(entry >> 8));
      return static_cast<int>(entry & 0xFF);
    }
    return decode_long_code(table);
  }
  unsigned take_bits(int size) {  // 1..16 bits buffered
    const unsigned value = static_cast<unsigned>(bits_ >> (64 - size));
    consume(size);
    return value;
  }
  int take_signed(int size) {
    const int value = static_cast<int>(take_bits(size));
    return value < (1 << (size - 1)) ? value - (1 << size) + 1 : value;
  }

 private:
  void consume(int size) {
    bits_ <<= size;
    count_ -= size;
  }
  void refill();
  int decode_long_code(const JpegHuffmanTable& table);

  JpegByteSource& source_;
  std::uint64_t bits_ = 0;  // valid bits at the top
  int count_ = 0;
  // Fill bits fed since the marker; those not yet consumed end the buffer.
  // 64 bits wide: a sequential scan may go on decoding fill for a long time.
  std::int64_t fill_count_ = 0;
  bool at_marker_ = false;
};
