#include "orvane/ui/FocusSounds.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace orvane {

FocusSounds::FocusSounds(QObject* parent) : QObject(parent) {}

FocusSounds::~FocusSounds() = default;

QSoundEffect* FocusSounds::EffectFor(const QString& name)
{
    QSoundEffect*& slot = name == QLatin1String("FOCUS1") ? focus1_ : focus2_;
    if (slot == nullptr) {
        slot = new QSoundEffect(this);
        slot->setSource(QUrl(QStringLiteral("qrc") + ResourceOf(name)));
        slot->setVolume(0.6f);
    }
    return slot;
}

void FocusSounds::Play(const QString& name)
{
    if (name != QLatin1String("FOCUS1") && name != QLatin1String("FOCUS2"))
        return;
    requests_.append(name);
    if (!probed_) {
        probed_ = true;
        audible_ = !QMediaDevices::defaultAudioOutput().isNull();
    }
    if (!audible_)
        return;
    QSoundEffect* effect = EffectFor(name);
    // play() returns at once; the sound plays on its own. A new focus cuts
    // off the sound still playing, as the short chimes are meant to.
    effect->stop();
    effect->play();
}

}  // namespace orvane
