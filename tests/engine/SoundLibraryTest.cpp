#include "engine/SoundLibrary.h"
#include "engine/Convolver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace tovalin;

namespace
{
std::vector<float> decayingNoise (size_t n, unsigned seed)
{
    std::mt19937 rng (seed);
    std::normal_distribution<float> d (0.0f, 1.0f);
    std::vector<float> x (n);
    for (size_t i = 0; i < n; ++i)
        x[i] = d (rng) * std::exp (-(float) i / (float) (n / 4 + 1));
    return x;
}

void fillSmallLibrary (SoundLibrary& library)
{
    GuitarEntry guitar;
    guitar.name = "Test guitar";
    guitar.bodyResponse = decayingNoise (7140, 1);
    library.addGuitar (std::move (guitar));
    RoomEntry room;
    room.name = "Test room";
    room.roomResponse = decayingNoise (9992, 2);
    library.addRoom (std::move (room));
}
} // namespace

TEST (SoundLibrary, EntriesAreFoundByExactNameAndKeptOnce)
{
    SoundLibrary library{SoundLibrary::Empty()};
    fillSmallLibrary (library);
    GuitarEntry again;
    again.name = "Test guitar";
    EXPECT_EQ (&library.addGuitar (std::move (again)), library.findGuitar ("Test guitar"));
    EXPECT_EQ (library.guitarNames().size(), 1u);
    EXPECT_EQ (library.findGuitar ("test guitar"), nullptr);
    EXPECT_EQ (library.findRoom ("Nowhere"), nullptr);
}

// 7140 + 9992 - 1 samples: a 32768-point combination, 128 partitions of 256 at L = 256.
TEST (SoundLibrary, TheBodyFilterIsTheBodyThroughDryPlusRoom)
{
    SoundLibrary library{SoundLibrary::Empty()};
    fillSmallLibrary (library);
    BodyFilterBuilder builder (library);
    builder.build ("Test guitar", "Test room", 0.0f);
    ASSERT_EQ (builder.length(), 32768);
    EXPECT_EQ (BodyFilterBuilder::partitionCount (32768, 256), 128);

    // Mix 0: 85 % dry impulse plus 15 % of the normalised room, through the body; Mix 1:
    // the normalised room alone.
    const auto& g = library.findGuitar ("Test guitar")->bodyResponse;
    const auto& r = library.findRoom ("Test room")->roomResponse;
    double e = 0;
    for (float v : r)
        e += (double) v * v;
    for (auto [mix, roomShare] : {std::pair (0.0f, 0.15), {1.0f, 1.0}})
    {
        builder.build ("Test guitar", "Test room", mix);
        for (size_t k : {(size_t) 0, (size_t) 5, (size_t) 100, (size_t) 7000, (size_t) 12000})
        {
            double direct = 0;
            for (size_t j = 0; j <= k && j < g.size(); ++j)
            {
                const double room =
                    (k - j < r.size() ? r[k - j] * roomShare / std::sqrt (e) : 0.0) + (k == j ? 1.0 - roomShare : 0.0);
                direct += g[j] * room;
            }
            EXPECT_NEAR (builder.response()[k], direct, 1e-3 * (std::abs (direct) + 0.01)) << mix << " " << k;
        }
    }

    Convolver convolver;
    EXPECT_EQ (builder.load (256, convolver), 256);
    EXPECT_EQ (convolver.partitionCount(), 128);
}

TEST (SoundLibrary, UnknownNamesBuildNothingAndTheConvolverKeepsItsFilter)
{
    SoundLibrary library{SoundLibrary::Empty()};
    fillSmallLibrary (library);
    BodyFilterBuilder builder (library);
    Convolver convolver;
    builder.build ("Test guitar", "Test room", 1.0f);
    const int P = builder.load (64, convolver);
    EXPECT_EQ (P, 64) << "n = 32768 and L = 64 give 520 partitions of 64";
    builder.build ("Nobody's guitar", "Test room", 1.0f);
    EXPECT_EQ (builder.length(), 0);
    EXPECT_EQ (builder.load (256, convolver), 0);
    EXPECT_EQ (convolver.partitionLength(), P);
    EXPECT_EQ (BodyFilterBuilder::partitionCount (100, 1024), 2) << "short filters get two partitions";
    EXPECT_EQ (BodyFilterBuilder::partitionCount (100, 1), 99) << "a latency below 2 counts as 2";
}

TEST (SoundLibrary, TheCatalogueSizesTheFilters)
{
    const SoundLibrary library;
    BodyFilterBuilder builder (library);
    Convolver convolver;
    builder.build ("Vastro's Gypsy", "Small 1", 0.5f); // 7140 + 9992 - 1 samples
    ASSERT_EQ (builder.length(), 32768);
    EXPECT_EQ (builder.load (256, convolver), 256);
    EXPECT_EQ (convolver.partitionCount(), 128);

    builder.build ("Zorbel's Jumbo", "Large 2", 0.5f); // the largest pair
    ASSERT_EQ (builder.length(), 65536);
    EXPECT_EQ (builder.load (256, convolver), 256);
    EXPECT_EQ (convolver.partitionCount(), 257);
    for (int i = 0; i < builder.length(); ++i)
        ASSERT_TRUE (std::isfinite (builder.response()[i])) << i;
}
