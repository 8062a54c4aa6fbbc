#pragma once
// CPduBuffer: the 1024-byte buffer that PDUs are encoded into and decoded
// from, and that ports send and receive. The write position is the buffer's
// length. No operation ever touches memory outside the 1024 bytes: writing past
// the end throws std::length_error, and reading past the length yields zeros.

#include <array>
#include <cstddef>
#include <cstdint>

class CPduBuffer {
public:
    static constexpr int kCapacity = 1024;

    void Clear()
    {
        writePos_ = 0;
        readPos_ = 0;
    }

    // Appends n bytes. REQUIRES: Length() + n <= kCapacity (else std::length_error,
    // and nothing is written).
    void Put(const void* bytes, int n);
    void PutByte(std::uint8_t byte) { Put(&byte, 1); }

    // Copies n bytes from the read position and advances it. Bytes beyond the
    // length are returned as zeros; returns how many bytes were really read.
    int Get(void* bytes, int n);

    // Sets the read position, clamped to [0, Length()].
    void Seek(int position);

    int Length() const { return writePos_; }
    // Sets the length, as a receiving port does with the received byte count.
    // REQUIRES: 0 <= length <= kCapacity (else std::length_error).
    void SetLength(int length);

    int ReadPosition() const { return readPos_; }
    int Remaining() const { return writePos_ - readPos_; }

    std::uint8_t* Data() { return data_.data(); }
    const std::uint8_t* Data() const { return data_.data(); }

private:
    std::array<std::uint8_t, kCapacity> data_{};
    int writePos_ = 0;
    int readPos_ = 0;
};
