#include "platform/guard.h"

#include <QMessageBox>

namespace kelvo {

namespace {
ErrorSink& Sink() {
    static ErrorSink sink;
    return sink;
}
}  // namespace

void SetErrorSink(ErrorSink sink) { Sink() = std::move(sink); }

void ReportError(const QString& message) {
    if (Sink()) {
        Sink()(message);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(ApplicationTitle), message, QMessageBox::Ok);
    box.exec();
}

}  // namespace kelvo
