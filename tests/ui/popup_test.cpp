#include "ui/popup.h"

#include <gtest/gtest.h>

#include <optional>

#include "base/errors.h"

namespace kvt::ui {
namespace {

class FakeView : public PopupView {
  public:
    void SetCaption(const AnsiString& text) override { caption = text; }
    std::optional<WideString> TopDocumentTitle() override {
        if (title_fails) {
            throw EOleError(kENoInterface, "not HTML");
        }
        return title;
    }
    void ActivateDocument() override {
        ++activations;
        if (activation_fails) {
            throw EOleError(kEFail, "no document");
        }
    }

    AnsiString caption = PopupInitialCaption();
    std::optional<WideString> title;
    bool title_fails = false;
    bool activation_fails = false;
    int activations = 0;
};

TEST(Popup, CaptionFollowsTheTopDocumentTitle) {
    FakeView view;
    EXPECT_EQ(Utf8FromAnsi(view.caption), "资讯浏览");
    view.title = u"行情 News";
    PopupDocumentComplete(view);
    EXPECT_EQ(Utf8FromAnsi(view.caption), "资讯浏览[行情 News]");
    view.title = u"";
    PopupDocumentComplete(view);
    EXPECT_EQ(Utf8FromAnsi(view.caption), "资讯浏览[]");
}

TEST(Popup, FailuresAndMissingDocumentsLeaveThePopupUnchanged) {
    FakeView view;
    view.caption = PopupCaption("before");
    PopupDocumentComplete(view);  // no HTML document
    view.title_fails = true;
    PopupDocumentComplete(view);
    EXPECT_EQ(view.caption, PopupCaption("before"));

    view.activation_fails = true;
    PopupNavigateComplete(view);
    EXPECT_EQ(view.activations, 1);
}

}  // namespace
}  // namespace kvt::ui
