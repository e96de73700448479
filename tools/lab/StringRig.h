#pragma once

#include "engine/StringConstants.h"
#include "engine/StringModel.h"
#include "engine/StringParams.h"
#include "engine/StringPrecomputation.h"
#include "engine/StringVoice.h"

#include <memory>
#include <vector>

namespace tovalin::lab
{
/** Offline tools and tests: one string built and computed as the processor's first preparation does, with
    gestures that attach forces the way the Guitarist plays and releases a string. */
struct StringRig
{
    explicit StringRig (int string, int level = 2, SoundControls c = {}, StringPreferences p = {},
                        const AdmittanceTable* guitar = nullptr)
        : controls (std::move (c)), preferences (p)
    {
        params.stringIndex = string;
        recomputeParams (params, controls, preferences, guitar != nullptr ? guitar : &flatAdmittance());
        model = std::make_unique<StringModel> (ModeCountTable[level][string], StringFretCount[string], &params);
        computeAll (*model);
        voice = std::make_unique<StringVoice> (model->modeCount, model.get());
        voice->reset();
    }

    void computeAll (StringModel& m)
    {
        computeModes (m);
        computeShapes (m, true);
        computeCoefficients (m);
        applyControls (m, controls);
    }

    /** Pluck at fret with pluck level 0..127 (no legato, no chord). */
    void play (int fret, int level = 100)
    {
        const GestureRecord& g = table.gestures[level];
        const FrictionRecord& f = table.frictions[level];
        if (! voice->pluck)
            voice->pluck.emplace (f, g, voice->sampleRate);
        else
        {
            voice->pluck->restart();
            voice->clearTwang();
        }
        params.velocityGain = g.amplitude * g.amplitude;
        voice->updateGain();
        fretOnly (fret);
    }

    /** A legato fret change: the finger moves, nothing plucks. */
    void fretOnly (int fret)
    {
        voice->damping.reset();
        voice->fretting.reset();
        voice->fretting.emplace (voice->sampleRate, params.fretStiffness);
        voice->setFret (fret);
        model->refreshPluckInput();
        voice->activate();
    }

    void palmTouch()
    {
        voice->touch.reset();
        model->preparePalmTouch();
        voice->touch.emplace (0, voice->sampleRate, params.palmStrength, params.palmDepth, 0);
    }

    void harmonicTouch (int fret)
    {
        voice->touch.reset();
        model->prepareHarmonicTouch (fret);
        voice->touch.emplace (1, voice->sampleRate, params.harmonicStrength, params.harmonicDepth,
                              params.harmonicTouchSamples);
    }

    void release()
    {
        if (voice->fretting)
            voice->fretting->lift();
        voice->touch.reset();
        voice->damping.reset();
        voice->damping.emplace (voice->sampleRate);
        voice->startReleaseFade();
        voice->activate();
    }

    std::vector<float> render (int samples, int chunk = 512)
    {
        std::vector<float> out ((size_t) samples, 0.0f);
        for (int pos = 0; pos < samples; pos += chunk)
            voice->render (std::min (chunk, samples - pos), out.data(), pos);
        return out;
    }

    SoundControls controls;
    StringPreferences preferences;
    StringParams params;
    ExcitationTable table;
    std::unique_ptr<StringModel> model;
    std::unique_ptr<StringVoice> voice;
};

} // namespace tovalin::lab
