#include "tools/sonaro/SubWindows.h"

#include "tools/sonaro/Options.h"
#include "tools/sonaro/PlaybackTicker.h"
#include "tools/sonaro/Player.h"
#include "tools/sonaro/SongFile.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace sonaro
{

QColor trackColour(int track)
{
    // Golden-angle steps keep neighbouring tracks apart in hue.
    return QColor::fromHsv((track * 137) % 360, 170, 220);
}

BeatCount beatAt(qint64 tick, int timebase)
{
    const qint64 beats = std::max<qint64>(0, tick) / std::max(1, timebase);
    return {beats / 4 + 1, beats % 4 + 1};
}

namespace
{

const char *waveformName(songdata::Waveform w)
{
    static const char *names[] = {"矩形波", "三角波", "のこぎり波",
                                  "正弦波", "ノイズ", "パルス25%"};
    return names[static_cast<int>(w)];
}

QWidget *makeMembers(const LoadedSong &loaded, QWidget *owner)
{
    auto *w = new QWidget(owner, Qt::Window);
    w->setWindowTitle(QStringLiteral("Sonaro - メンバー"));
    w->setMinimumWidth(260);
    auto *grid = new QGridLayout(w);
    const auto &tracks = loaded.song.tracks;
    for (int i = 0; i < static_cast<int>(tracks.size()); ++i) {
        auto *swatch = new QLabel(w);
        swatch->setFixedSize(16, 16);
        swatch->setStyleSheet(
            QStringLiteral("background:%1;border:1px solid #444").arg(trackColour(i).name()));
        grid->addWidget(swatch, i, 0);
        grid->addWidget(new QLabel(QString::fromStdString(tracks[i].name), w), i, 1);
        grid->addWidget(new QLabel(QString::fromUtf8(waveformName(tracks[i].firstWaveform)), w), i,
                        2);
        grid->addWidget(new QLabel(QStringLiteral("%1 音").arg(tracks[i].noteCount), w), i, 3);
    }
    if (tracks.empty())
        grid->addWidget(new QLabel(QStringLiteral("トラックがありません"), w), 0, 0);
    return w;
}

class FingerView final : public QLabel
{
public:
    FingerView(const LoadedSong &loaded, Player &player, QWidget *owner)
        : QLabel(owner, Qt::Window), m_song(loaded.song), m_player(player)
    {
        setWindowTitle(QStringLiteral("Sonaro - フィンガー"));
        QFont f = font();
        f.setPointSizeF(f.pointSizeF() * 2);
        setFont(f);
        setAlignment(Qt::AlignCenter);
        setMinimumSize(260, 80);
        new PlaybackTicker(
            m_player, [this] { tick(); }, this, this);
        tick();
    }

private:
    void tick()
    {
        const BeatCount b = beatAt(m_song.tickAt(m_player.positionSeconds()), m_song.timebase);
        const QString text = QStringLiteral("%1 小節  %2 拍").arg(b.bar).arg(b.beat);
        if (text != this->text())
            setText(text);
    }
    const songdata::Song &m_song;
    Player &m_player;
};

class ScoreView final : public QWidget
{
public:
    static constexpr double kSpan = 6.0; // seconds shown

    ScoreView(const LoadedSong &loaded, Player &player, bool follow, QWidget *owner)
        : QWidget(owner, Qt::Window), m_song(loaded.song), m_player(player), m_follow(follow)
    {
        setWindowTitle(QStringLiteral("Sonaro - 譜面モニタ"));
        setMinimumSize(360, 160);
        // Smooth scrolling while it plays, nothing while it is off the screen.
        new PlaybackTicker(
            m_player, [this] { update(); }, this, this, 50);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(24, 24, 32));
        const double now = m_player.positionSeconds();
        // Following: the time line stays a quarter in; else the view turns pages.
        const double from = m_follow ? now - kSpan / 4 : std::floor(now / kSpan) * kSpan;
        const double to = from + kSpan;
        const double pxPerSec = width() / kSpan;
        const double keyHeight = height() / 64.0; // keys 28 … 91
        const auto &notes = m_song.notes;
        auto it =
            std::lower_bound(notes.begin(), notes.end(), from - 30.0,
                             [](const songdata::Note &n, double t) { return n.startSeconds < t; });
        for (; it != notes.end() && it->startSeconds < to; ++it) {
            if (it->endSeconds < from)
                continue;
            const int key = std::clamp(it->key, 28, 91);
            const QRectF r((it->startSeconds - from) * pxPerSec, height() - (key - 27) * keyHeight,
                           std::max(2.0, (it->endSeconds - it->startSeconds) * pxPerSec),
                           std::max(2.0, keyHeight));
            p.fillRect(r, trackColour(it->track));
        }
        p.setPen(QColor(255, 255, 255, 180));
        const int x = static_cast<int>((now - from) * pxPerSec);
        p.drawLine(x, 0, x, height());
    }

private:
    const songdata::Song &m_song;
    Player &m_player;
    bool m_follow;
};

} // namespace

SubWindows::SubWindows(const LoadedSong &loaded, Player &player, const Options &options,
                       QWidget *owner)
{
    if (options.members)
        m_windows.append(makeMembers(loaded, owner));
    if (options.finger)
        m_windows.append(new FingerView(loaded, player, owner));
    if (options.score)
        m_windows.append(new ScoreView(loaded, player, options.autoScroll, owner));
}

void SubWindows::show()
{
    for (const auto &w : m_windows) {
        if (!w)
            continue;
        w->adjustSize();
        // A player started minimized shows them without taking the keyboard.
        if (const QWidget *owner = w->parentWidget())
            w->setAttribute(Qt::WA_ShowWithoutActivating,
                            owner->testAttribute(Qt::WA_ShowWithoutActivating));
        w->show();
    }
    // Stacked beside the main window once the window manager has placed it.
    QTimer::singleShot(150, [windows = m_windows] {
        QWidget *owner = nullptr;
        for (const auto &w : windows)
            if (w && !owner)
                owner = w->parentWidget();
        if (!owner)
            return;
        QPoint at = owner->frameGeometry().topRight() + QPoint(8, 0);
        for (const auto &w : windows) {
            if (!w)
                continue;
            w->move(at);
            at.ry() += w->frameGeometry().height() + 8;
        }
    });
}

void SubWindows::close()
{
    for (const auto &w : m_windows)
        if (w)
            w->close();
}

} // namespace sonaro
