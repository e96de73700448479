#include "engine/FloatingPointGuard.h"
#include "engine/StringConstants.h"
#include "engine/StringModel.h"
#include "engine/StringParams.h"
#include "engine/StringPrecomputation.h"
#include "engine/StringVoice.h"

#include "SimdContext.h"

#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <vector>

using namespace tovalin;

namespace
{
struct BenchString
{
    StringParams params;
    std::unique_ptr<StringModel> model;
    std::unique_ptr<StringVoice> voice;
    ExcitationTable table;

    BenchString (int s, int modes)
    {
        params.stringIndex = s;
        recomputeParams (params, SoundControls(), StringPreferences(), &flatAdmittance());
        model = std::make_unique<StringModel> (modes, StringFretCount[s], &params);
        computeModes (*model);
        computeShapes (*model, true);
        computeCoefficients (*model);
        applyControls (*model, SoundControls());
        voice = std::make_unique<StringVoice> (modes, model.get());
        voice->reset();
    }

    // A fresh pluck at fret 3 with its fret force, as a played note.
    void pluck()
    {
        voice->pluck.emplace (table.frictions[100], table.gestures[100], (float) EngineSampleRate);
        voice->fretting.emplace ((float) EngineSampleRate, params.fretStiffness);
        voice->setFret (3);
        model->refreshPluckInput();
        voice->activate();
    }
};

// One voice with pluck and fret forces attached, per engine sample, by mode count.
void BM_VoiceWithPluckAndFret (benchmark::State& state)
{
    const int modes = (int) state.range (0);
    ScopedAudioBlockGuard denormalsFlushed; // as the processor runs every block
    BenchString string (0, modes);
    std::vector<float> buffer (256, 0.0f);
    for (auto _ : state)
    {
        string.pluck();
        for (int i = 0; i < 16; ++i)
            string.voice->render (256, buffer.data(), 0);
        benchmark::DoNotOptimize (buffer.data());
    }
    state.SetItemsProcessed (state.iterations() * 16 * 256);
    state.counters["realtime_x"] =
        benchmark::Counter ((double) state.iterations() * 16 * 256 / EngineSampleRate, benchmark::Counter::kIsRate);
}

// The six strings at precision 2, all sounding (fretted, ringing after the pluck),
// with the modal update 4, 8 or 16 modes wide.
void BM_SixStringsPrecision2 (benchmark::State& state)
{
    const int width = (int) state.range (0);
    if (width > StringVoice::widestModalWidth())
    {
        state.SkipWithError ("this processor has no path that wide");
        return;
    }
    ScopedAudioBlockGuard denormalsFlushed;
    std::vector<std::unique_ptr<BenchString>> strings;
    for (int s = 0; s < StringCount; ++s)
    {
        strings.push_back (std::make_unique<BenchString> (s, ModeCountTable[2][s]));
        strings.back()->voice->modalWidth = width;
        strings.back()->pluck();
    }
    std::vector<float> buffer (256, 0.0f);
    StringVoice* voices[StringCount];
    for (int s = 0; s < StringCount; ++s)
        voices[s] = strings[(size_t) s]->voice.get();
    for (auto _ : state)
    {
        for (auto& s : strings)
            if (s->voice->idle || ! s->voice->fretting)
                s->pluck();
        renderVoices (voices, 6, 256, buffer.data(), 0);
        benchmark::DoNotOptimize (buffer.data());
    }
    state.SetItemsProcessed (state.iterations() * 256);
    state.counters["realtime_x"] =
        benchmark::Counter ((double) state.iterations() * 256 / EngineSampleRate, benchmark::Counter::kIsRate);
}
} // namespace

BENCHMARK (BM_VoiceWithPluckAndFret)->Arg (48)->Arg (64)->Arg (76)->Arg (112)->Arg (160);
BENCHMARK (BM_SixStringsPrecision2)->Arg (4)->Arg (8)->Arg (16);
