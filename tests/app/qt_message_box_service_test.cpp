// The Qt message-box service: the box it shows and the answer it reports for each way of
// closing it.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

#include "platform/qt/QtMessageBoxService.h"

namespace {

// Runs `act` on the modal box as soon as it is up (the service's show() blocks until then).
void whenBoxAppears(const std::function<void(QMessageBox&)>& act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(*box);
        }
    });
    timer->start();
}

TEST(QtMessageBoxService, ShowsTheDescribedBoxOverItsOwner) {
    QWidget owner;
    owner.show();
    QtMessageBoxService service(&owner);

    MessageBoxRequest request;
    request.text = u"是否删除当前内容？";
    request.title = u"Rovena";
    request.icon = MessageBoxIcon::Question;
    request.buttons = MessageBoxButtons::OkCancel;
    request.topmost = true;

    bool seen = false;
    whenBoxAppears([&](QMessageBox& box) {
        seen = true;
        EXPECT_EQ(box.parentWidget(), &owner);
        EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);
        EXPECT_EQ(box.text(), QStringLiteral("是否删除当前内容？"));
        EXPECT_EQ(box.windowTitle(), QStringLiteral("Rovena"));
        EXPECT_EQ(box.icon(), QMessageBox::Question);
        EXPECT_TRUE(box.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_EQ(box.buttons().size(), 2);
        box.button(QMessageBox::Cancel)->click();
    });
    EXPECT_EQ(service.show(request), MessageBoxAnswer::Cancel);
    EXPECT_TRUE(seen);
}

// Qt's own texts read in Chinese, and the default button is the one the request names.
TEST(QtMessageBoxService, ButtonsReadInChineseAndTheDefaultIsTheRequested) {
    struct Case {
        MessageBoxButtons buttons;
        std::optional<MessageBoxAnswer> defaultAnswer;
        std::vector<const char*> texts;
        const char* defaultText;
    };
    const Case cases[] = {
        {MessageBoxButtons::Ok, std::nullopt, {"确定"}, "确定"},
        {MessageBoxButtons::OkCancel, std::nullopt, {"确定", "取消"}, "确定"},
        {MessageBoxButtons::YesNo, MessageBoxAnswer::No, {"是", "否"}, "否"},
        {MessageBoxButtons::YesNo, MessageBoxAnswer::Yes, {"是", "否"}, "是"},
    };
    QtMessageBoxService service;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.defaultText);
        MessageBoxRequest request;
        request.buttons = c.buttons;
        request.defaultAnswer = c.defaultAnswer;
        whenBoxAppears([&](QMessageBox& box) {
            QStringList texts;
            // Qt's Chinese texts carry their access key in brackets: "是(&Y)".
            const auto plain = [](QString text) {
                return text.remove(QRegularExpression(QStringLiteral("\\(&.\\)"))).remove(u'&');
            };
            for (QAbstractButton* button : box.buttons()) texts << plain(button->text());
            for (const char* text : c.texts)
                EXPECT_TRUE(texts.contains(QString::fromUtf8(text)))
                    << texts.join(u',').toStdString();
            ASSERT_NE(box.defaultButton(), nullptr);
            EXPECT_EQ(plain(box.defaultButton()->text()), QString::fromUtf8(c.defaultText));
            // Enter presses the default button.
            box.defaultButton()->click();
        });
        const MessageBoxAnswer answer = service.show(request);
        EXPECT_EQ(answer, c.defaultAnswer.value_or(MessageBoxAnswer::Ok));
    }
}

// A three-way question with its own captions: each caption answers its standard button, the
// default and Escape are the cancelling one.
TEST(QtMessageBoxService, OwnCaptionsKeepTheStandardAnswers) {
    QtMessageBoxService service;
    MessageBoxRequest request;
    request.text = u"replace or append?";
    request.buttons = MessageBoxButtons::YesNoCancel;
    request.defaultAnswer = MessageBoxAnswer::Cancel;
    request.buttonTexts = {u"替换", u"追加", u"取消"};
    const std::pair<const char*, MessageBoxAnswer> presses[] = {
        {"替换", MessageBoxAnswer::Yes},
        {"追加", MessageBoxAnswer::No},
        {"取消", MessageBoxAnswer::Cancel},
        {nullptr, MessageBoxAnswer::Cancel}};
    for (const auto& [caption, answer] : presses) {
        SCOPED_TRACE(caption != nullptr ? caption : "Escape");
        whenBoxAppears([&, caption = caption](QMessageBox& box) {
            QStringList texts;
            for (QAbstractButton* button : box.buttons()) texts << button->text();
            EXPECT_EQ(texts.size(), 3);
            ASSERT_NE(box.defaultButton(), nullptr);
            EXPECT_EQ(box.defaultButton()->text(), QStringLiteral("取消"));
            if (caption == nullptr) {
                box.reject();
                return;
            }
            for (QAbstractButton* button : box.buttons()) {
                if (button->text() == QString::fromUtf8(caption)) {
                    button->click();
                    return;
                }
            }
            ADD_FAILURE() << "no button " << caption << ": " << texts.join(u',').toStdString();
            box.reject();
        });
        EXPECT_EQ(service.show(request), answer);
    }
}

TEST(QtMessageBoxService, AnswersThePressedButtonOrTheDismissAnswer) {
    struct Case {
        MessageBoxButtons buttons;
        QMessageBox::StandardButton press;  // NoButton: dismissed with Escape
        MessageBoxAnswer answer;
    };
    const Case cases[] = {
        {MessageBoxButtons::Ok, QMessageBox::Ok, MessageBoxAnswer::Ok},
        {MessageBoxButtons::Ok, QMessageBox::NoButton, MessageBoxAnswer::Ok},
        {MessageBoxButtons::OkCancel, QMessageBox::Ok, MessageBoxAnswer::Ok},
        {MessageBoxButtons::OkCancel, QMessageBox::NoButton, MessageBoxAnswer::Cancel},
        {MessageBoxButtons::YesNo, QMessageBox::Yes, MessageBoxAnswer::Yes},
        {MessageBoxButtons::YesNo, QMessageBox::NoButton, MessageBoxAnswer::No},
        {MessageBoxButtons::YesNoCancel, QMessageBox::No, MessageBoxAnswer::No},
        {MessageBoxButtons::RetryCancel, QMessageBox::Retry, MessageBoxAnswer::Retry},
        {MessageBoxButtons::AbortRetryIgnore, QMessageBox::Ignore, MessageBoxAnswer::Ignore},
    };
    QtMessageBoxService service;
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.buttons) * 100 + static_cast<int>(c.answer));
        MessageBoxRequest request;
        request.text = u"text";
        request.buttons = c.buttons;
        whenBoxAppears([&](QMessageBox& box) {
            if (c.press == QMessageBox::NoButton) {
                box.reject();  // what Escape does
            } else {
                ASSERT_NE(box.button(c.press), nullptr);
                box.button(c.press)->click();
            }
        });
        EXPECT_EQ(service.show(request), c.answer);
    }
}

}  // namespace
