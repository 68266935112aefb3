#pragma once

#include <QWidget>

class QPlainTextEdit;

// The data viewer: shows the text of the song data being played, read-only,
// in a fixed-pitch font, without wrapping. Closing it only hides it.
class TForm2 final : public QWidget
{
    Q_OBJECT

public:
    explicit TForm2(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TForm2)

    QPlainTextEdit *RichEdit1 = nullptr;

    // Shows a data file's bytes, decoded for display.
    void setData(const QByteArray &bytes);
    void clearText();
    QString text() const;

signals:
    // The user closed the viewer with its close box.
    void CloseQuery();

protected:
    void closeEvent(QCloseEvent *event) override;
};
