#include "support/WidgetApplication.h"

#include <QApplication>
#include <QFont>

namespace pellamor::test {

void ensureWidgetApplication()
{
    if (qApp)
        return;
    static int argc = 1;
    static char name[] = "pellamor-tests";
    static char* argv[] = { name, nullptr };
    // Never destroyed: Qt's own statics are gone by the time static destructors run.
    new QApplication(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
}

} // namespace pellamor::test
