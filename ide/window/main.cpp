// OpenTm32W: the desktop editor.  Start-up as the terminal host does it:
// the association (without a file argument), the engine, the default
// workspace and the file argument, then the window; the start directory
// comes back at the end.
#include <QApplication>
#include <clocale>

#include "association.h"
#include "main_window.h"
#include "self_test.h"
#include "settings.h"
#include "text_file.h"

int main(int argc, char **argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("OpenTM");
    QApplication::setApplicationVersion(TAMRIX_VERSION);
    // Numbers are read and printed in the "C" convention whatever the
    // desktop's locale (the toolkit set it from the environment).
    std::setlocale(LC_NUMERIC, "C");

    std::u16string start_directory = ide::current_directory();
    // The file argument: the first argument that is not an option of the
    // toolkit (QApplication took those out of argv already).
    QStringList arguments = QApplication::arguments();
    std::u16string file_argument =
        arguments.size() > 1 ? arguments.at(1).toStdU16String() : std::u16string();

    int status = 1;
    {
        ide::FileSettings settings;
        idewin::MainWindow window(settings);
        if (ide::ensure_association(window, !file_argument.empty()) &&
            window.start(file_argument)) {
            window.show();
            idewin::arm_self_test(window);
            status = QApplication::exec();
        }
    }
    ide::change_directory(start_directory);
    return status;
}
