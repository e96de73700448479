#include "SoundLibrary.h"

#include "Convolver.h"
#include "EmbeddedSoundData.h"
#include "FFTReal.h"
#include "SoundDataFormat.h"
#include "SoundNames.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace tovalin
{
AdmittanceTable GuitarEntry::admittanceTable() const noexcept
{
    return {admittanceFrequency.data(), admittance.data(), admittanceExtra.data(), (int) admittance.size(), guitarGain};
}

SoundLibrary::SoundLibrary()
{
    SoundData data;
    std::string error;
    // The data are built in; a build that embedded something else has no guitars and
    // rooms, which the processor survives (the body filter stays empty).
    if (! parseSoundData (embeddedSoundData(), embeddedSoundDataSize(), data, error) || data.guitars.size() != 9 ||
        data.rooms.size() != 6)
        return;
    for (size_t i = 0; i < 9; ++i)
    {
        GuitarData& d = data.guitars[i];
        GuitarEntry g;
        g.name = GuitarNames[i];
        g.bodyResponse = std::move (d.body);
        g.admittance = std::move (d.admittance);
        g.admittanceFrequency.resize (g.admittance.size());
        for (size_t row = 0; row < g.admittance.size(); ++row)
            g.admittanceFrequency[row] = (float) row * d.step;
        g.admittanceExtra.assign (g.admittance.size(), 0.0f);
        addGuitar (std::move (g));
    }
    for (size_t j = 0; j < 6; ++j)
    {
        RoomEntry r;
        r.name = RoomNames[j];
        r.roomResponse = std::move (data.rooms[j].response);
        addRoom (std::move (r));
    }
}

const GuitarEntry& SoundLibrary::addGuitar (GuitarEntry entry)
{
    const std::lock_guard<std::mutex> g (lock);
    for (const auto& e : guitars)
        if (e->name == entry.name)
            return *e;
    guitars.push_back (std::make_unique<GuitarEntry> (std::move (entry)));
    return *guitars.back();
}

const RoomEntry& SoundLibrary::addRoom (RoomEntry entry)
{
    const std::lock_guard<std::mutex> g (lock);
    for (const auto& e : rooms)
        if (e->name == entry.name)
            return *e;
    rooms.push_back (std::make_unique<RoomEntry> (std::move (entry)));
    return *rooms.back();
}

const GuitarEntry* SoundLibrary::findGuitar (const std::string& name) const
{
    const std::lock_guard<std::mutex> g (lock);
    for (const auto& e : guitars)
        if (e->name == name)
            return e.get();
    return nullptr;
}

const RoomEntry* SoundLibrary::findRoom (const std::string& name) const
{
    const std::lock_guard<std::mutex> g (lock);
    for (const auto& e : rooms)
        if (e->name == name)
            return e.get();
    return nullptr;
}

std::vector<std::string> SoundLibrary::guitarNames() const
{
    const std::lock_guard<std::mutex> g (lock);
    std::vector<std::string> names;
    for (const auto& e : guitars)
        names.push_back (e->name);
    return names;
}

std::vector<std::string> SoundLibrary::roomNames() const
{
    const std::lock_guard<std::mutex> g (lock);
    std::vector<std::string> names;
    for (const auto& e : rooms)
        names.push_back (e->name);
    return names;
}

size_t SoundLibrary::longestBody() const
{
    const std::lock_guard<std::mutex> g (lock);
    size_t n = 0;
    for (const auto& e : guitars)
        n = std::max (n, e->bodyResponse.size());
    return n;
}

size_t SoundLibrary::longestRoom() const
{
    const std::lock_guard<std::mutex> g (lock);
    size_t n = 0;
    for (const auto& e : rooms)
        n = std::max (n, e->roomResponse.size());
    return n;
}

namespace
{
    int powerOfTwoAtLeast (size_t n)
    {
        int p = 1;
        while ((size_t) p < n)
            p <<= 1;
        return p;
    }
} // namespace

BodyFilterBuilder::BodyFilterBuilder (const SoundLibrary& l) : library (l)
{
    const size_t longest = l.longestBody() + l.longestRoom();
    maxLength = longest > 1 ? std::max (16, powerOfTwoAtLeast (longest - 1)) : 16;
    for (auto* buffer : {&guitarBuffer, &roomBuffer, &combined, &guitarSpectrum, &roomSpectrum, &productSpectrum})
        buffer->assign ((size_t) maxLength, 0.0f);
}

void BodyFilterBuilder::build (const std::string& guitarName, const std::string& roomName, float mix)
{
    const GuitarEntry* g = library.findGuitar (guitarName);
    const RoomEntry* r = library.findRoom (roomName);
    combinedLength = 0;
    if (g == nullptr || r == nullptr || g->bodyResponse.empty() || r->roomResponse.empty())
        return;

    const float x = mix * 0.85f + 0.15f; // the room's share
    const int M = std::max (16, powerOfTwoAtLeast (g->bodyResponse.size() + r->roomResponse.size() - 1));
    if (M > maxLength)
        return; // larger than anything the library held when the builder was made

    std::fill (guitarBuffer.begin(), guitarBuffer.begin() + M, 0.0f);
    std::copy (g->bodyResponse.begin(), g->bodyResponse.end(), guitarBuffer.begin());

    // Room energy in single precision, four partial sums then the remainder.
    float partial[4] = {0, 0, 0, 0};
    const size_t n = r->roomResponse.size();
    size_t i = 0;
    for (; i + 4 <= n; i += 4)
        for (int j = 0; j < 4; ++j)
            partial[j] += r->roomResponse[i + (size_t) j] * r->roomResponse[i + (size_t) j];
    float energy = (partial[0] + partial[1]) + (partial[2] + partial[3]);
    for (; i < n; ++i)
        energy += r->roomResponse[i] * r->roomResponse[i];
    // A silent room would divide by zero: it contributes nothing.
    const float scale = energy > 0.0f ? x / std::sqrt (energy) : 0.0f;
    std::fill (roomBuffer.begin(), roomBuffer.begin() + M, 0.0f);
    for (size_t k = 0; k < n; ++k)
        roomBuffer[k] = r->roomResponse[k] * scale;
    roomBuffer[0] += 1.0f - x; // the dry part

    FFTReal<float> fft (M);
    fft.doFft (guitarBuffer.data(), guitarSpectrum.data());
    fft.doFft (roomBuffer.data(), roomSpectrum.data());
    spectrumMultiply (productSpectrum.data(), guitarSpectrum.data(), roomSpectrum.data(), M);
    fft.doIfft (productSpectrum.data(), combined.data());
    fft.rescale (combined.data());
    combinedLength = M;
}

int BodyFilterBuilder::partitionCount (int n, int latencyPreference) noexcept
{
    const int L = std::max (2, latencyPreference);
    int a = (n - 1) / (L - 1);
    return a > 1 ? std::min (n, a) : 2;
}

int BodyFilterBuilder::load (int latencyPreference, Convolver& convolver) const
{
    if (combinedLength == 0)
        return 0;
    return convolver.load (combined.data(), combinedLength, partitionCount (combinedLength, latencyPreference));
}

} // namespace tovalin
