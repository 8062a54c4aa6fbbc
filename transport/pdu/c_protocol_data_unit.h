#pragma once
// CProtocolDataUnit: a message of the wire protocol that can write itself into
// a CPduBuffer, read itself from one, and return to its empty request form.

class CPduBuffer;

class CProtocolDataUnit {
public:
    virtual ~CProtocolDataUnit() = default;

    // Clears `buffer` and writes the wire image into it.
    virtual void Encode(CPduBuffer& buffer) = 0;
    // Reads the PDU from `buffer` (from position 0, up to its length). Never
    // fails: whatever the bytes are, the fields get what they hold.
    virtual void Decode(CPduBuffer& buffer) = 0;
    // Returns every field to the empty request form.
    virtual void Reset() = 0;
};
