#pragma once
#include <QObject>
#include <QString>
#include <QStringList>

class QSoundEffect;

namespace orvane {

// The launcher's two focus sounds, "FOCUS1" and "FOCUS2", played from the
// program's resources without waiting for them. Without an audio output
// nothing is played, and nothing blocks or fails.
class FocusSounds : public QObject {
    Q_OBJECT
public:
    explicit FocusSounds(QObject* parent = nullptr);
    ~FocusSounds() override;

    // Plays "FOCUS1" or "FOCUS2"; other names are ignored.
    void Play(const QString& name);

    // The names asked for, in order (what the menu asked to hear).
    const QStringList& requests() const { return requests_; }
    // False when no audio output was found; the requests are still recorded.
    bool audible() const { return audible_; }

    // Resource path of a sound.
    static QString ResourceOf(const QString& name) { return QStringLiteral(":/sounds/%1.wav").arg(name); }

private:
    QSoundEffect* EffectFor(const QString& name);

    QStringList requests_;
    bool probed_ = false;
    bool audible_ = false;
    QSoundEffect* focus1_ = nullptr;
    QSoundEffect* focus2_ = nullptr;
};

}  // namespace orvane
