#pragma once

// Turns a parsed data packet into the engine record that carries it on:
// READVSTREAM (video), READASTREAM (audio), GPSDATA or GSENSORDATA.
//
// Threading: free functions without shared state.

#include <memory>

#include <boost/date_time/posix_time/posix_time_types.hpp>

#include "core/Records.h"
#include "recording/Vorta.h"

namespace VORTA {

// Codec parameters of an audio record, from the audio properties.
struct AudioCodecParams {
    int codecKind = -1;  // audio codec factory kind; -1 when the codec is not known
    int sampleSize = 0;  // the record's first parameter
    int sampleRate = 0;  // the record's second parameter, in Hz
    int valueB = 0;      // the record's third parameter
};

// Codec kind 4 and 5 take twice the sample-size value S, kind 3 takes S; an
// unknown codec identifier gives kind -1 with sample size and rate 0.
AudioCodecParams audioCodecParams(const AUDIO_PROPERTIES_OBJECT& audio);

// What one packet became.
struct PacketRecord {
    PacketKind kind = PacketKind::Skipped;
    // Video, Gps, GSensor: the heap record (READVSTREAM, GPSDATA or
    // GSENSORDATA); null otherwise.
    std::unique_ptr<STREAMOBJECT> sample;
    // Audio: the filled audio record, to be handed to the audio sink; empty
    // otherwise.
    READASTREAM audio;
    // The packet's instant for every kind but Skipped. not_a_date_time when the
    // file's start date is invalid: the record then carries the computer's
    // local date and time with millisecond 0, and the reader keeps its
    // current instant.
    boost::posix_time::ptime instant;
};

// Makes the record of one parsed packet for `channel`, given the header unit
// of the file the packet came from.
//
//   Video   (stream number = video stream): READVSTREAM, kind 0, with the
//           payload, the width and height of the video properties, frame type
//           3 when flags bit 7 is set and 2 otherwise, text1 = file title.
//   Audio   (stream number = audio stream): READASTREAM with the payload and
//           the codec parameters of audioCodecParams().
//   Gps     (stream 3, 36-byte payload): GPSDATA, kind 2.
//   GSensor (stream 4, 13-byte payload): GSENSORDATA, kind 3, axes cut to two
//           decimals.
//   Skipped any other stream number, or a GPS or G-sensor payload shorter
//           than its sample: nothing is made, and the reader keeps its
//           current sample and instant.
//
// Every record gets date, time and millisecond from recordStamp(); the stream
// records (video, GPS, G-sensor) also get the raw time stamp as sequence.
// Never throws except std::bad_alloc.
PacketRecord makePacketRecord(const HEADERUNIT& header, const REPLY_DATA& packet, int channel);

// The same, for a file whose start instant the caller determined (the
// channel reader dates the packets of a file whose header date is unusable
// from the file's folder and name). The records' fields come from
// recordStampAt(): an unset start gives zero dates and an unset instant.
PacketRecord makePacketRecordAt(const HEADERUNIT& header, const boost::posix_time::ptime& start,
                                const REPLY_DATA& packet, int channel);

// Payload sizes of the sample packets.
constexpr std::size_t kGpsPayloadSize = 36;
constexpr std::size_t kGSensorPayloadSize = 13;

}  // namespace VORTA
