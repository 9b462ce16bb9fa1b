#pragma once

// Common root of the recording-format record classes (namespace VORTA), so
// that any of them can be owned and deleted through one base pointer.
//
// Threading: the records are plain values without locks.
class PacketOperation {
public:
    virtual ~PacketOperation() = default;

protected:
    PacketOperation() = default;
    PacketOperation(const PacketOperation&) = default;
    PacketOperation& operator=(const PacketOperation&) = default;
};
