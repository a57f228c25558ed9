#include "shell/form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Form1 form(QCoreApplication::applicationDirPath(), ServiceHosts{QStringLiteral(CHENGYU_SERVICE_HOST1),
                                                                   QStringLiteral(CHENGYU_SERVICE_HOST2)});
    form.show();
    return app.exec();
}
