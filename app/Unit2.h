#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace tunelet
{
class OuterFrame;
}

// The data viewer: shows the text of the song data being played, read-only,
// in a fixed-pitch font, without wrapping. Closing it only hides it.
class TForm2 final : public QWidget
{
    Q_OBJECT

public:
    explicit TForm2(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TForm2)

    QPlainTextEdit *RichEdit1 = nullptr;

    // Shows a data file's bytes, decoded for display (callers read no more
    // than MaxShownBytes of the file). Only the first MaxShownBytes are shown, and each line only
    // up to MaxShownLine bytes: the player plays no larger file, and a longer line would hold up
    // the window for minutes and take memory many times its size.
    void setData(const QByteArray &bytes);
    static constexpr qsizetype MaxShownBytes = 16 * 1024 * 1024;
    static constexpr qsizetype MaxShownLine = 64 * 1024;
    void clearText();
    QString text() const;

    // The window's outer frame, in which its position and size are stored.
    tunelet::OuterFrame &Frame() const { return *m_frame; }

signals:
    // The user closed the viewer with its close box.
    void CloseQuery();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    tunelet::OuterFrame *m_frame = nullptr; // owned by the window
};
