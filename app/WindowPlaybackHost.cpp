#include "app/WindowPlaybackHost.h"

#include "app/StatusBar.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "platform/core/ByteFile.h"
#include "platform/core/FileErrors.h"
#include "playback/PlayerParameters.h"

namespace tunelet
{

namespace
{

// What the session needs from the window while it plays.
class WindowPlaybackHost final : public PlaybackHost
{
public:
    explicit WindowPlaybackHost(TForm1 &form) : m_form(form) {}
    Q_DISABLE_COPY_MOVE(WindowPlaybackHost)

    std::optional<QByteArray> extractLzhData(const QByteArray &archivePath) override
    {
        // The archive's data file is played from the work file.
        if (!m_form.ExtractLzhData(archivePath))
            return std::nullopt;
        return m_form.ProgramFolder() + WorkFileName;
    }

    void showConverterRunning() override
    {
        m_form.SetPlaybackStatus(QStringLiteral(" mid2snr実行中..."));
        m_form.SetCaption(converterCaption());
        // Nothing is handled while the converter runs: paint now.
        m_form.repaint();
    }

    void loadDataView(const QByteArray &path) override
    {
        // The viewer shows no more than its limit: no more is read.
        const std::optional<QByteArray> data = readFileStart(path, TForm2::MaxShownBytes);
        if (!data)
            throw EFOpenError(path);
        if (TForm2 *viewer = m_form.DataViewer())
            viewer->setData(*data);
    }

    void beep() override { m_form.Dlg().beep(); }

    void message(const QString &text) override
    {
        m_form.Dlg().message(m_form.isVisible() ? &m_form : nullptr, text);
    }

    bool closed() const override { return m_form.IsClosed(); }

private:
    TForm1 &m_form;
};

} // namespace

std::shared_ptr<PlaybackHost> makeWindowPlaybackHost(TForm1 &form)
{
    return std::make_shared<WindowPlaybackHost>(form);
}

} // namespace tunelet
