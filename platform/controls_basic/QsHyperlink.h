// Hyperlink label: underlined link text that opens its "url" property when clicked.
#pragma once

#include <QLabel>

#include "platform/CustomControl.h"

class QsHyperlink : public QLabel, public qs::CustomControl {
    Q_OBJECT
    Q_PROPERTY(QString url READ url WRITE setUrl)
public:
    explicit QsHyperlink(QWidget* parent = nullptr);
    QString url() const { return url_; }
    void setUrl(const QString& url) { url_ = url; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString url_;
};
