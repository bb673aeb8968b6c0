#include "app/parameterfile.h"

#include "app/formmain.h"

#include <QFile>

namespace ParameterFile {
bool appendArgument(const QString &folder, const QString &text)
{
    QFile file(folder + QStringLiteral("param.txt"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray line = text.toLocal8Bit() + "\r\n";
    return file.write(line) == line.size();
}
}  // namespace ParameterFile

void TFormMain::TimerParameterFileTimer() {}
