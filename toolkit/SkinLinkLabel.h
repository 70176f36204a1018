// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A link label: its caption underlined, a hand pointer, the hover colour
// while the pointer is over it, and on a click its address handed to the
// desktop, which opens it with whatever handler it has for it.

#include <QLabel>
#include <string>

class TbsSkinLinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit TbsSkinLinkLabel(QWidget* parent = nullptr);

    void SetCaption(const std::string& caption);
    std::string Caption() const { return caption_; }
    void SetURL(const std::string& url) { url_ = url; }
    const std::string& URL() const { return url_; }

signals:
    // The label's own click event; it runs before the address is opened.
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void SetHover(bool hover);
    std::string caption_;
    std::string url_;
};
