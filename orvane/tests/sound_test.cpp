#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <cmath>
#include <cstdlib>

#include "AppTeardown.h"
#include "orvane/sound/WaveSynth.h"
#include "orvane/ui/FocusSounds.h"

using namespace orvane;

namespace {

uint32_t Le32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

QApplication& App()
{
    static int argc = 1;
    static char name[] = "orvane_sound_test";
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

TEST(WaveSynth, FocusSoundsAreShortMonoPcmWaves)
{
    for (int which : {1, 2}) {
        const std::vector<uint8_t> wav = WaveSynth::FocusSound(which);
        ASSERT_GT(wav.size(), 44u);
        EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
        EXPECT_EQ(Le32(wav, 4), wav.size() - 8);
        EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
        EXPECT_EQ(wav[20] | (wav[21] << 8), 1);  // PCM
        EXPECT_EQ(wav[22] | (wav[23] << 8), 1);  // mono
        EXPECT_EQ(Le32(wav, 24), uint32_t(WaveSynth::kSampleRate));
        EXPECT_EQ(wav[34] | (wav[35] << 8), 16);
        EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
        const uint32_t dataBytes = Le32(wav, 40);
        EXPECT_EQ(dataBytes, wav.size() - 44);
        const double seconds = dataBytes / 2.0 / WaveSynth::kSampleRate;
        EXPECT_GT(seconds, 0.1) << which;
        EXPECT_LT(seconds, 0.5) << which;
    }
    EXPECT_NE(WaveSynth::FocusSound(1), WaveSynth::FocusSound(2));
}

TEST(WaveSynth, RenderedNotesAreAudibleStartQuietAndNeverClip)
{
    const std::vector<int16_t> s = WaveSynth::Render({{440.0, 0, 200, 1.0}, {660.0, 50, 200, 1.0}});
    ASSERT_EQ(s.size(), size_t(250 * WaveSynth::kSampleRate / 1000));
    int peak = 0;
    for (int16_t v : s)
        peak = std::max(peak, std::abs(int(v)));
    EXPECT_GT(peak, 8000);
    EXPECT_LE(peak, 32767);
    EXPECT_LT(std::abs(int(s[0])), 100);       // faded in: no click at the start
    EXPECT_LT(std::abs(int(s.back())), 500);   // and out at the end
}

TEST(FocusSounds, ResourcesHoldBothSoundsAndPlayingWithoutAudioNeverBlocks)
{
    App();
    for (const char* name : {"FOCUS1", "FOCUS2"}) {
        QFile f(FocusSounds::ResourceOf(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name;
        const QByteArray bytes = f.readAll();
        const std::vector<uint8_t> expected = WaveSynth::FocusSound(name[5] - '0');
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), expected) << name;
    }
    FocusSounds sounds;
    for (int i = 0; i < 20; ++i)
        sounds.Play(i % 2 ? QStringLiteral("FOCUS2") : QStringLiteral("FOCUS1"));
    sounds.Play(QStringLiteral("OTHER"));
    EXPECT_EQ(sounds.requests().size(), 20);
    QCoreApplication::processEvents();
}

}  // namespace
