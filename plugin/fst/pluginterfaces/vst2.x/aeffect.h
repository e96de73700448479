#pragma once
// The free FST headers (Debian package fst-dev) stand in for the VST 2.4 SDK.
//
// FST declares the speaker arrangement with a flexible array of speakers (8 bytes);
// JUCE's VST host sizes the arrangements it builds as the SDK's structure, which has
// room for 8 speakers, and would write past its allocation (a heap overflow in every
// host built on JUCE with these headers). FST's structure is renamed aside and the
// SDK's layout is declared under the usual name: the fields and the offset of the
// speakers are the same, so the binary interface does not change.
#define VstSpeakerArrangement FstFlexibleSpeakerArrangement
#include <pluginterfaces/fst/aeffect.h>
#undef VstSpeakerArrangement

struct VstSpeakerArrangement
{
    int type;
    int numChannels;
    VstSpeakerProperties speakers[8];
};
static_assert (__builtin_offsetof (VstSpeakerArrangement, speakers)
                   == __builtin_offsetof (FstFlexibleSpeakerArrangement, speakers),
               "the speakers sit where hosts and plug-ins expect them");
