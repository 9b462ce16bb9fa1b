#include "recording/PacketRecords.h"

#include <climits>
#include <cstring>

#include "recording/ByteReader.h"
#include "recording/PacketTime.h"

namespace VORTA {

namespace {

// Audio codec identifiers in their stored (little-endian GUID) byte order.
// {FA483C1C-E3E3-4292-9176-3611652B1F25}
constexpr std::uint8_t kAudioCodec4[16] = {0x1C, 0x3C, 0x48, 0xFA, 0xE3, 0xE3, 0x92, 0x42,
                                           0x91, 0x76, 0x36, 0x11, 0x65, 0x2B, 0x1F, 0x25};
// {D1A5B23D-1779-4EF2-A2FC-5261CEBA8F69}
constexpr std::uint8_t kAudioCodec5[16] = {0x3D, 0xB2, 0xA5, 0xD1, 0x79, 0x17, 0xF2, 0x4E,
                                           0xA2, 0xFC, 0x52, 0x61, 0xCE, 0xBA, 0x8F, 0x69};
// {0AA7E7B5-B65C-482B-9B58-9DCFCE322246}
constexpr std::uint8_t kAudioCodec3[16] = {0xB5, 0xE7, 0xA7, 0x0A, 0x5C, 0xB6, 0x2B, 0x48,
                                           0x9B, 0x58, 0x9D, 0xCF, 0xCE, 0x32, 0x22, 0x46};

bool sameId(const std::uint8_t (&a)[16], const std::uint8_t (&b)[16]) {
    return std::memcmp(a, b, 16) == 0;
}

// Payloads are at most kMaxPacketSize bytes, so their size fits an int.
int payloadSize(const REPLY_DATA& packet) {
    return packet.payload.size() > static_cast<std::size_t>(INT_MAX)
               ? INT_MAX
               : static_cast<int>(packet.payload.size());
}

PacketRecord makeRecord(const HEADERUNIT& header, const REPLY_DATA& packet, int channel,
                        const RecordStamp& stamp);

void stampRecord(STREAMOBJECT& record, const RecordStamp& stamp, const REPLY_DATA& packet,
                 int channel) {
    record.date = stamp.date;
    record.time = stamp.time;
    record.milliseconds = stamp.milliseconds;
    record.sequence = static_cast<int>(packet.timestamp);
    record.channel = channel;
}

}  // namespace

AudioCodecParams audioCodecParams(const AUDIO_PROPERTIES_OBJECT& audio) {
    AudioCodecParams params;
    params.valueB = audio.valueB;
    const int rate = audio.sampleRateDiv10 * 10;
    if (sameId(audio.codecId, kAudioCodec4)) {
        params.codecKind = 4;
        params.sampleSize = 2 * audio.sampleSize;
        params.sampleRate = rate;
    } else if (sameId(audio.codecId, kAudioCodec5)) {
        params.codecKind = 5;
        params.sampleSize = 2 * audio.sampleSize;
        params.sampleRate = rate;
    } else if (sameId(audio.codecId, kAudioCodec3)) {
        params.codecKind = 3;
        params.sampleSize = audio.sampleSize;
        params.sampleRate = rate;
    }
    return params;
}

PacketRecord makePacketRecord(const HEADERUNIT& header, const REPLY_DATA& packet, int channel) {
    return makeRecord(header, packet, channel, recordStamp(header.fileProperties, packet.timestamp));
}

PacketRecord makePacketRecordAt(const HEADERUNIT& header, const boost::posix_time::ptime& start,
                                const REPLY_DATA& packet, int channel) {
    return makeRecord(header, packet, channel, recordStampAt(start, packet.timestamp));
}

namespace {

PacketRecord makeRecord(const HEADERUNIT& header, const REPLY_DATA& packet, int channel,
                        const RecordStamp& stamp) {
    PacketRecord out;
    const PacketKind kind = packetKind(header, packet.flags);
    if (kind == PacketKind::Skipped) {
        return out;
    }

    switch (kind) {
        case PacketKind::Video: {
            auto video = std::make_unique<READVSTREAM>();
            stampRecord(*video, stamp, packet, channel);
            video->setData(packet.payload.data(), payloadSize(packet));
            video->width = header.videoProperties.width;
            video->height = header.videoProperties.height;
            video->frameType =
                packet.isKeyFrameFlag() ? READVSTREAM::kKeyFrame : READVSTREAM::kOtherFrame;
            video->text1 = header.fileProperties.titleString();
            out.sample = std::move(video);
            break;
        }
        case PacketKind::Audio: {
            const AudioCodecParams codec = audioCodecParams(header.audioProperties);
            out.audio.param1 = codec.sampleSize;
            out.audio.param2 = codec.sampleRate;
            out.audio.param3 = codec.valueB;
            out.audio.setData(packet.payload.data(), payloadSize(packet));
            out.audio.channel = channel;
            out.audio.codecKind = codec.codecKind;
            out.audio.date = stamp.date;
            out.audio.time = stamp.time;
            out.audio.milliseconds = stamp.milliseconds;
            break;
        }
        case PacketKind::Gps: {
            // The payload's own date and time words (offsets 0 and 4) are not
            // used: the record's date and time follow from the time stamp.
            ByteReader in(packet.payload.data(), packet.payload.size());
            auto gps = std::make_unique<GPSDATA>();
            in.skip(8);
            in.u32(gps->extra);
            in.f64(gps->latitude);
            in.f64(gps->longitude);
            in.f64(gps->speed);
            if (!in.ok()) {
                return PacketRecord();
            }
            stampRecord(*gps, stamp, packet, channel);
            out.sample = std::move(gps);
            break;
        }
        case PacketKind::GSensor: {
            ByteReader in(packet.payload.data(), packet.payload.size());
            auto sensor = std::make_unique<GSENSORDATA>();
            in.f32(sensor->x);
            in.f32(sensor->y);
            in.f32(sensor->z);
            in.u8(sensor->extra);
            if (!in.ok()) {
                return PacketRecord();
            }
            sensor->x = truncateToHundredths(sensor->x);
            sensor->y = truncateToHundredths(sensor->y);
            sensor->z = truncateToHundredths(sensor->z);
            stampRecord(*sensor, stamp, packet, channel);
            out.sample = std::move(sensor);
            break;
        }
        case PacketKind::Skipped:
            break;
    }
    out.kind = kind;
    out.instant = stamp.instant;
    return out;
}

}  // namespace

}  // namespace VORTA
