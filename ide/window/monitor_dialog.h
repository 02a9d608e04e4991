// The run monitor's window ("OpenTM：Tamrix 运行监视器"), a window of the
// main thread shown and closed by the monitor thread through the host.  Esc
// asks whether to stop the run; any way the window goes tells the monitor.
#pragma once

#include <QDialog>
#include <functional>

namespace ide {
class RunMonitor;
}

namespace idewin {

class MonitorDialog : public QDialog {
    Q_OBJECT
public:
    using BoxHook = std::function<int(const QString &, const QString &, int)>;
    MonitorDialog(ide::RunMonitor &monitor, QWidget *parent, BoxHook box_hook);
    // The monitor saw the workspace free (it counts the dismissal itself).
    void close_by_monitor();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    ide::RunMonitor &monitor_;
    BoxHook box_hook_;
    bool closing_by_monitor_ = false;
};

}  // namespace idewin
