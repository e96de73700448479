#pragma once

#include "StringParams.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tovalin
{
class Convolver;

/** One guitar: its body's impulse response (unit RMS) and its bridge admittance table. */
struct GuitarEntry
{
    std::string name;
    std::vector<float> bodyResponse;
    std::vector<float> admittanceFrequency, admittance, admittanceExtra;
    float guitarGain = 1.0f;
    unsigned char flag = 1;

    /** The table as the strings read it. */
    AdmittanceTable admittanceTable() const noexcept;
};

/** One room: its impulse response, as recorded (the body filter normalises it). */
struct RoomEntry
{
    std::string name;
    std::vector<float> roomResponse;
};

/** The guitars and rooms, in insertion order, found by exact name. Any thread. */
class SoundLibrary
{
public:
    /** The nine guitars and six rooms of the catalogue, from the embedded data. */
    SoundLibrary();

    struct Empty
    {
    };
    /** A library with nothing in it, for callers that bring their own entries. */
    explicit SoundLibrary (Empty) {}

    /** Adds an entry; a name already present returns the existing entry instead. */
    const GuitarEntry& addGuitar (GuitarEntry entry);
    const RoomEntry& addRoom (RoomEntry entry);

    const GuitarEntry* findGuitar (const std::string& name) const;
    const RoomEntry* findRoom (const std::string& name) const;
    std::vector<std::string> guitarNames() const;
    std::vector<std::string> roomNames() const;

    /** The longest body and room responses, for sizing the body-filter builder. */
    size_t longestBody() const;
    size_t longestRoom() const;

private:
    mutable std::mutex lock;
    std::vector<std::unique_ptr<GuitarEntry>> guitars;
    std::vector<std::unique_ptr<RoomEntry>> rooms;
};

/** Combines a guitar's body response with a room (dry impulse plus normalised room,
    balanced by "Mix") into the body filter, and loads it into the convolver. Sized
    once for the largest pair. Not the audio thread: it transforms up to 65536 points. */
class BodyFilterBuilder
{
public:
    explicit BodyFilterBuilder (const SoundLibrary& library);

    /** Fills the combined response; its length is 0 when either name is unknown. */
    void build (const std::string& guitarName, const std::string& roomName, float mix);

    const float* response() const noexcept { return combined.data(); }
    int length() const noexcept { return combinedLength; }

    /** The partition count the latency preference L asks for a filter of n samples. */
    static int partitionCount (int n, int latencyPreference) noexcept;

    /** Loads the combined response into the convolver (processing must be suspended);
        the partition length, or 0 when there is no response (the convolver keeps its
        filter). */
    int load (int latencyPreference, Convolver& convolver) const;

private:
    const SoundLibrary& library;
    int maxLength = 0;
    std::vector<float> guitarBuffer, roomBuffer, combined, guitarSpectrum, roomSpectrum, productSpectrum;
    int combinedLength = 0;
};

} // namespace tovalin
