#include "EditorTestSupport.h"

#include "editor/EditorFactory.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <thread>

using namespace tovalin;
using namespace tovalin::test;

namespace
{
/** Lies transparently over the whole editor: any repaint of any part of the editor
    paints it too. */
struct PaintCounter : juce::Component
{
    std::atomic<int> paints{0};
    PaintCounter() { setInterceptsMouseClicks (false, false); }
    void paint (juce::Graphics&) override { ++paints; }
};

/** Plays blocks on a thread of its own, as a host's audio thread does, and measures
    the longest wait for the callback lock. */
struct AudioThread
{
    TovalinPlugin& processor;
    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};
    std::atomic<double> longestWaitMs{0.0};
    std::thread thread;

    AudioThread (TovalinPlugin& p, bool playNotes) : processor (p)
    {
        thread = std::thread (
            [this, playNotes]
            {
                juce::AudioBuffer<float> buffer (2, 512);
                juce::MidiBuffer midi;
                midi.ensureSize (256);
                int n = 0;
                while (! stop)
                {
                    buffer.clear();
                    midi.clear();
                    if (playNotes && n % 40 == 0)
                        midi.addEvent (juce::MidiMessage::noteOn (1, 52 + (n / 40) % 24, (juce::uint8) 100), 0);
                    const auto start = juce::Time::getMillisecondCounterHiRes();
                    {
                        const juce::ScopedLock sl (processor.getCallbackLock());
                        const double waited = juce::Time::getMillisecondCounterHiRes() - start;
                        if (waited > longestWaitMs)
                            longestWaitMs = waited;
                        processor.processBlock (buffer, midi);
                    }
                    ++n;
                    ++blocks;
                    juce::Thread::sleep (2);
                }
            });
    }
    ~AudioThread()
    {
        stop = true;
        thread.join();
    }
};
} // namespace

TEST (EditorLifetime, AnOpenEditorWithNothingChangingRepaintsNothing)
{
    EditorFixture f;
    f.processor.prepareToPlay (44100.0, 512);
    f.processor.finishPendingWork();
    PaintCounter counter;
    f.editor->addAndMakeVisible (counter);
    counter.setBounds (f.editor->getLocalBounds());
    f.editor->addToDesktop (0);
    f.editor->setVisible (true);
    {
        AudioThread audio (f.processor, false); // silence, as a host plays it
        dispatchMessagesUntil ([] { return false; }, 500);

        // The counter sees repaints: a light that changes is one.
        counter.paints = 0;
        f.processor.setParameterNotifyingHost (
            ParameterIds::ToggleLegato,
            f.processor.getParameterTable().get (ParameterIds::ToggleLegato).isActive() ? 0.0f : 1.0f);
        dispatchMessagesUntil ([&] { return counter.paints > 0; }, 1000);
        ASSERT_GT (counter.paints, 0);

        dispatchMessagesUntil ([] { return false; }, 300);
        counter.paints = 0;
        const int blocksBefore = audio.blocks;
        dispatchMessagesUntil ([] { return false; }, 1000);
        EXPECT_EQ (counter.paints, 0) << "nothing changed, nothing is painted";
        EXPECT_GT (audio.blocks, blocksBefore) << "while blocks of silence went on";
    }
    f.editor->removeFromDesktop();
    f.editor->removeChildComponent (&counter);
    f.processor.releaseResources();
}

TEST (EditorLifetime, AHundredEditorsComeAndGoWhileTheProcessorPlays)
{
    TemporaryHome home;
    useEditor (false);
    TovalinPlugin processor;
    processor.setPreference ("showWelcomePanel", 0);
    processor.prepareToPlay (44100.0, 512);
    processor.finishPendingWork();
    {
        AudioThread audio (processor, true);
        auto cycle = [&]
        {
            std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditor());
            ASSERT_NE (dynamic_cast<Editor*> (editor.get()), nullptr);
            dispatchPendingMessages();
            editor.reset();
            dispatchPendingMessages();
        };
        for (int i = 0; i < 5; ++i) // caches of images and typefaces fill once
            cycle();
        const auto before = mallinfo2().uordblks;
        const int blocksBefore = audio.blocks;
        for (int i = 0; i < 100; ++i)
            cycle();
        const auto after = mallinfo2().uordblks;
        EXPECT_LT ((double) after - (double) before, 256.0 * 1024.0) << "bytes still allocated after 100 editors";
        EXPECT_GT (audio.blocks, blocksBefore) << "the audio thread played on";
        EXPECT_LT (audio.longestWaitMs.load(), 50.0) << "the audio thread waited for the callback lock";
    }
    EXPECT_TRUE (processor.hasEditor());
    processor.releaseResources();
}
