// Shows the password prompt on the display, as the program has it ready, so that the user guide
// can show it; prints the typed password (nothing when cancelled).
#include "access/PasswordPrompt.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    dosarium::TForm5 prompt;
    const std::optional<QString> typed = prompt.AskPassword(QStringLiteral("Parola"));
    if (typed)
        std::puts(qUtf8Printable(*typed));
    return 0;
}
