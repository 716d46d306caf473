// Mouse and keyboard input through the paint manager: hit testing, hover
// order, capture, clicks, check boxes, focus, notifications.
#include <gtest/gtest.h>

#include "tests/ui/skin_fixture.h"

namespace {

using namespace uitest;

// Records the input events a control receives.
class ProbeUI : public CControlUI {
public:
    explicit ProbeUI(std::vector<std::string>* log) : log_(log) {}
    void DoEvent(TEventUI& e) override {
        log_->push_back(narrow(GetName().str()) + ":" + std::to_string(e.Type));
        CControlUI::DoEvent(e);
    }
    std::vector<std::string>* log_;
};

class ProbeFactory : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const wchar_t* name) override {
        return ui_compare_nocase(name, L"Probe") == 0 ? new ProbeUI(&log) : nullptr;
    }
    std::vector<std::string> log;
};

class Input : public SkinTest {
protected:
    void click(ui_point pt) {
        pm->OnMouseMove(pt);
        pm->OnLButtonDown(pt);
        pm->OnLButtonUp(pt);
    }
    // Notifications of the types that matter here, in order.
    std::vector<std::string> notes_of(std::initializer_list<const char*> types) const {
        std::vector<std::string> out;
        for (const auto& line : notes.log)
            for (const char* t : types)
                if (line.rfind(std::string(t) + ":", 0) == 0) out.push_back(line);
        return out;
    }
};

TEST_F(Input, HitTestFindsTheTopmostVisibleControl) {
    open();
    struct Case {
        ui_point pt;
        const wchar_t* name;   // nullptr: the page itself
    } cases[] = {
        {{480, 320}, L"btnUninst"}, {{701, 359}, L"btnUninst"}, {{702, 359}, L"btnCancel"},
        {{920, 50}, L"btnCancel"},  {{84, 218}, L"ckb1"},       {{99, 233}, nullptr},
        {{5, 5}, nullptr},
    };
    for (const auto& c : cases) {
        CControlUI* hit = pm->FindControl(c.pt);
        ASSERT_NE(hit, nullptr);
        EXPECT_EQ(hit->GetName(), CDuiString(c.name ? c.name : L"background_one")) << c.pt.x << "," << c.pt.y;
    }
    // The two buttons named btnCancel are both hit; the name table holds the second.
    EXPECT_EQ(find(L"btnCancel")->GetPos(), (ui_rect{702, 302, 937, 368}));
    EXPECT_EQ(pm->FindControl(ui_point{702, 359}), find(L"btnCancel"));
    EXPECT_NE(pm->FindControl(ui_point{920, 50}), find(L"btnCancel"));
    // Hidden pages are not hit; outside the window nothing is.
    EXPECT_EQ(pm->FindControl(ui_point{650, 280}), find(L"background_one"));
    EXPECT_EQ(pm->FindControl(ui_point{-1, -1}), nullptr);
    EXPECT_EQ(pm->FindControl(ui_point{980, 10}), nullptr);
    show_page(L"background_thr");
    tick();
    EXPECT_EQ(pm->FindControl(ui_point{650, 280}), find(L"btnUninstFinish"));
    EXPECT_EQ(pm->FindControl(ui_point{480, 320}), find(L"background_thr"));
}

TEST_F(Input, NonFloatingChildCountsOnlyInsideTheInset) {
    platform->resize_window(100, 100);
    open("<Window><VerticalLayout name=\"root\" inset=\"0,0,0,50\">"
         "<Label name=\"tall\" height=\"80\"/>"
         "<Label name=\"floater\" float=\"true\" pos=\"60,60\" width=\"20\" height=\"20\"/>"
         "</VerticalLayout></Window>");
    EXPECT_EQ(find(L"tall")->GetPos(), (ui_rect{0, 0, 100, 80}));
    EXPECT_EQ(pm->FindControl(ui_point{10, 40}), find(L"tall"));
    EXPECT_EQ(pm->FindControl(ui_point{10, 60}), find(L"root"));   // inside tall, outside the inset
    EXPECT_EQ(pm->FindControl(ui_point{65, 65}), find(L"floater"));
}

TEST_F(Input, MouseDisabledControlsAreNotHit) {
    open();
    find(L"btnUninst")->SetMouseEnabled(false);
    EXPECT_EQ(pm->FindControl(ui_point{480, 320}), find(L"background_one"));
}

TEST_F(Input, LeaveReachesTheOldControlBeforeEnterReachesTheNew) {
    ProbeFactory factory;
    platform->resize_window(100, 20);
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"<Window><HorizontalLayout name=\"h\"><Probe name=\"a\"/><Probe name=\"b\"/>"
                                      L"</HorizontalLayout></Window>",
                                      nullptr, &factory, pm.get());
    ASSERT_NE(root, nullptr);
    pm->AttachDialog(root);
    pm->Paint(ui_rect{});
    factory.log.clear();
    pm->OnMouseMove(ui_point{10, 10});
    pm->OnMouseMove(ui_point{12, 10});
    pm->OnMouseMove(ui_point{60, 10});
    pm->OnMouseLeave();
    EXPECT_EQ(factory.log, (std::vector<std::string>{"a:11", "a:9", "a:9", "a:10", "b:11", "b:9", "b:10"}));
    // Leave tracking is asked for once per stay of the mouse in the window.
    EXPECT_EQ(platform->leave_tracking_requests, 1);
    pm->OnMouseMove(ui_point{10, 10});
    EXPECT_EQ(platform->leave_tracking_requests, 2);

    // While a control holds the capture there is no leave or enter.
    factory.log.clear();
    pm->OnLButtonDown(ui_point{10, 10});
    EXPECT_TRUE(platform->captured);
    pm->OnMouseMove(ui_point{60, 10});
    pm->OnMouseMove(ui_point{70, 10});
    pm->OnLButtonUp(ui_point{70, 10});
    EXPECT_FALSE(platform->captured);
    EXPECT_EQ(factory.log, (std::vector<std::string>{"a:21", "a:13", "a:9", "a:9", "a:14"}));
    factory.log.clear();
    pm->OnMouseMove(ui_point{71, 10});
    EXPECT_EQ(factory.log, (std::vector<std::string>{"a:10", "b:11", "b:9"}));
}

TEST_F(Input, ButtonShowsHotImageAndHidesItWhilePressed) {
    open();
    const ui_point inside{480, 320};
    const uint32_t normal = reference_blend(kPage1, kButton);
    EXPECT_TRUE(near_pixel(pixel(480, 320), normal));
    pm->OnMouseMove(inside);
    tick();
    EXPECT_EQ(pixel(480, 320), kButtonHot);
    auto* button = find_as<CButtonUI>(L"btnUninst");
    EXPECT_EQ(button->GetButtonState() & kStateHot, kStateHot);
    pm->OnLButtonDown(inside);
    tick();
    EXPECT_TRUE(near_pixel(pixel(480, 320), normal));
    EXPECT_EQ(button->GetButtonState() & kStatePushed, kStatePushed);
    // Dragged outside: no longer pushed, the hot image is back; inside again: pushed.
    pm->OnMouseMove(ui_point{300, 100});
    tick();
    EXPECT_EQ(button->GetButtonState() & kStatePushed, 0u);
    EXPECT_EQ(pixel(480, 320), kButtonHot);
    pm->OnMouseMove(inside);
    EXPECT_EQ(button->GetButtonState() & kStatePushed, kStatePushed);
    pm->OnLButtonUp(inside);
    tick();
    EXPECT_EQ(pixel(480, 320), kButtonHot);
    EXPECT_EQ(notes_of({"click"}), (std::vector<std::string>{"click:btnUninst"}));
    pm->OnMouseMove(ui_point{300, 100});
    tick();
    EXPECT_TRUE(near_pixel(pixel(480, 320), normal));
    EXPECT_EQ(notes_of({"mouseenter", "mouseleave"}),
              (std::vector<std::string>{"mouseenter:btnUninst", "mouseleave:btnUninst"}));
}

TEST_F(Input, ReleaseOutsideTheButtonSendsNoClick) {
    open();
    pm->OnMouseMove(ui_point{480, 320});
    pm->OnLButtonDown(ui_point{480, 320});
    pm->OnMouseMove(ui_point{300, 100});
    pm->OnLButtonUp(ui_point{300, 100});
    EXPECT_TRUE(notes_of({"click"}).empty());
    EXPECT_EQ(find_as<CButtonUI>(L"btnUninst")->GetButtonState() & (kStatePushed | kStateCaptured), 0u);
    EXPECT_EQ(pm->GetClickControl(), nullptr);
    // A release with nothing pressed does nothing.
    pm->OnLButtonUp(ui_point{480, 320});
    EXPECT_TRUE(notes_of({"click"}).empty());
}

TEST_F(Input, ClicksCarryNameTimeAndPoint) {
    open();
    platform->ticks = 123456;
    click(ui_point{920, 50});
    click(ui_point{800, 330});
    ASSERT_EQ(notes_of({"click"}), (std::vector<std::string>{"click:btnCancel", "click:btnCancel"}));
    const TNotifyUI* last = nullptr;
    for (const auto& r : notes.records)
        if (r.sType == L"click") last = &r;
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->dwTimestamp, 123456u);
    EXPECT_EQ(last->ptMouse, (ui_point{800, 330}));
    EXPECT_EQ(last->pSender, find(L"btnCancel"));
}

TEST_F(Input, CheckBoxClickComesBeforeTheSelectionChange) {
    open();
    auto* box = find_as<CCheckBoxUI>(L"ckb1");
    std::vector<std::string> seen;
    notes.hook = [&](TNotifyUI& msg) {
        if (msg.pSender == box && (msg.sType == L"click" || msg.sType == L"selectchanged"))
            seen.push_back(narrow(msg.sType.str()) + (box->GetCheck() ? "=1" : "=0"));
    };
    click(ui_point{90, 225});
    EXPECT_EQ(seen, (std::vector<std::string>{"click=0", "selectchanged=1"}));
    tick();
    EXPECT_EQ(pixel(90, 225), kCheck);
    seen.clear();
    click(ui_point{90, 225});
    EXPECT_EQ(seen, (std::vector<std::string>{"click=1", "selectchanged=0"}));
    tick();
    EXPECT_EQ(pixel(90, 225), kPage1);

    // SetCheck to the current state sends nothing; without notify nothing either.
    seen.clear();
    box->SetCheck(false, true);
    box->SetCheck(true, false);
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(box->GetCheck());
    box->SetCheck(false, true);
    EXPECT_EQ(seen, (std::vector<std::string>{"selectchanged=0"}));
    // The second box is independent.
    EXPECT_FALSE(find_as<CCheckBoxUI>(L"ckb2")->GetCheck());
}

TEST_F(Input, OptionsInAGroupSelectOneAtATime) {
    platform->resize_window(100, 20);
    open("<Window><HorizontalLayout><Option name=\"a\" group=\"g\" selected=\"true\"/><Option name=\"b\" group=\"g\"/>"
         "<Option name=\"c\"/></HorizontalLayout></Window>");
    auto* a = find_as<COptionUI>(L"a");
    auto* b = find_as<COptionUI>(L"b");
    EXPECT_TRUE(a->IsSelected());
    click(ui_point{50, 10});
    EXPECT_TRUE(b->IsSelected());
    EXPECT_FALSE(a->IsSelected());
    // Clicking the selected member of a group keeps it selected.
    click(ui_point{50, 10});
    EXPECT_TRUE(b->IsSelected());
    EXPECT_EQ(notes_of({"selectchanged"}), (std::vector<std::string>{"selectchanged:b"}));
}

TEST_F(Input, DisabledButtonIgnoresTheMouse) {
    open();
    find(L"btnUninst")->SetEnabled(false);
    click(ui_point{480, 320});
    EXPECT_TRUE(notes_of({"click", "mouseenter"}).empty());
    // Activate refuses a disabled or hidden button.
    EXPECT_FALSE(find(L"btnUninst")->Activate());
    find(L"btnUninst")->SetEnabled(true);
    find(L"btnUninst")->SetVisible(false);
    EXPECT_FALSE(find(L"btnUninst")->Activate());
    EXPECT_TRUE(notes_of({"click"}).empty());
}

TEST_F(Input, WindowInitIsSentOnceAfterTheFirstLayout) {
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"uninstall.xml", nullptr, nullptr, pm.get());
    ASSERT_NE(root, nullptr);
    pm->AttachDialog(root);
    pm->AddNotifier(&notes);
    EXPECT_TRUE(notes_of({"windowinit"}).empty());
    tick();
    EXPECT_EQ(notes_of({"windowinit"}), (std::vector<std::string>{"windowinit:pages"}));
    show_page(L"background_two");
    tick();
    platform->set_client_size(900, 400);
    pm->OnSize(900, 400);
    tick();
    EXPECT_EQ(notes_of({"windowinit"}).size(), 1u);
}

TEST_F(Input, KeysReachTheFocusedButtonAndTabMovesTheFocus) {
    open();
    click(ui_point{480, 320});
    EXPECT_EQ(pm->GetFocus(), find(L"btnUninst"));
    notes.log.clear();
    EXPECT_TRUE(pm->OnKeyDown(kKeySpace));
    EXPECT_TRUE(pm->OnKeyDown(kKeyReturn));
    EXPECT_TRUE(pm->OnKeyDown('A'));
    EXPECT_EQ(notes_of({"click"}), (std::vector<std::string>{"click:btnUninst", "click:btnUninst"}));

    // Tab runs through the tab stops of the visible page in document order, and wraps.
    std::vector<CControlUI*> order;
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(pm->SetNextTabControl());
        order.push_back(pm->GetFocus());
    }
    CControlUI* cancel_close = pm->FindControl(ui_point{920, 50});
    EXPECT_EQ(order, (std::vector<CControlUI*>{find(L"btnCancel"), find(L"ckb1"), find(L"ckb2"), cancel_close,
                                               find(L"btnUninst"), find(L"btnCancel")}));
    ASSERT_TRUE(pm->SetNextTabControl(false));
    EXPECT_EQ(pm->GetFocus(), find(L"btnUninst"));
    // Hiding the page drops the focus; no control of a hidden page takes it.
    show_page(L"background_two");
    EXPECT_EQ(pm->GetFocus(), nullptr);
    EXPECT_FALSE(pm->SetNextTabControl());
    EXPECT_FALSE(pm->OnKeyDown(kKeySpace));
}

TEST_F(Input, CursorIsAHandOverButtonsOnly) {
    open();
    EXPECT_TRUE(pm->OnSetCursor(ui_point{480, 320}));
    EXPECT_EQ(platform->cursor, ui_cursor::hand);
    platform->cursor = ui_cursor::arrow;
    EXPECT_FALSE(pm->OnSetCursor(ui_point{300, 100}));   // the page: the window's arrow
    EXPECT_EQ(platform->cursor, ui_cursor::arrow);
    // Control flags: buttons and check boxes are clickable, pages and labels are not.
    EXPECT_EQ(find(L"btnUninst")->GetControlFlags(), kFlagSetCursor | kFlagTabStop);
    EXPECT_EQ(find(L"ckb1")->GetControlFlags(), kFlagSetCursor | kFlagTabStop);
    EXPECT_EQ(find(L"background_one")->GetControlFlags(), 0u);
    EXPECT_EQ(find(L"file_lab")->GetControlFlags(), 0u);
    EXPECT_EQ(find(L"prgUninst")->GetControlFlags(), 0u);
    find(L"btnUninst")->SetKeyboardEnabled(false);
    EXPECT_EQ(find(L"btnUninst")->GetControlFlags(), kFlagSetCursor);
}

TEST_F(Input, CloseEndsHoverAndPressWithoutAClick) {
    open();
    pm->OnMouseMove(ui_point{480, 320});
    pm->OnLButtonDown(ui_point{480, 320});
    pm->OnMouseMove(ui_point{300, 100});   // pressed, dragged off
    pm->OnClose();
    EXPECT_EQ(pm->GetHoverControl(), nullptr);
    EXPECT_EQ(pm->GetClickControl(), nullptr);
    EXPECT_EQ(pm->GetFocus(), nullptr);
    EXPECT_FALSE(platform->captured);
    EXPECT_EQ(find_as<CButtonUI>(L"btnUninst")->GetButtonState() & (kStatePushed | kStateCaptured | kStateHot), 0u);
    EXPECT_TRUE(notes_of({"click"}).empty());
    EXPECT_EQ(notes_of({"mouseleave"}), (std::vector<std::string>{"mouseleave:btnUninst"}));
}

TEST_F(Input, ClickThatClosesTheWindowIsSafe) {
    open();
    // The click handler closes the window, as the cancel button does.
    notes.hook = [&](TNotifyUI& msg) {
        if (msg.sType == L"click") pm->OnClose();
    };
    click(ui_point{800, 330});
    EXPECT_EQ(notes_of({"click"}), (std::vector<std::string>{"click:btnCancel"}));
    EXPECT_EQ(pm->GetClickControl(), nullptr);
}

TEST_F(Input, AsynchronousNotificationsAreQueuedAndDeliveredInOrder) {
    open();
    notes.log.clear();
    notes.records.clear();
    CControlUI* a = find(L"btnUninst");
    CControlUI* b = find(L"ckb1");
    pm->SendNotify(a, L"first", 0, 0, true);
    pm->SendNotify(b, L"second", 0, 0, true);
    pm->SendNotify(a, L"first", 7, 0, true, false);   // repeat not allowed: updates the queued one
    pm->SendNotify(a, L"third", 0, 0, true, true);
    EXPECT_TRUE(notes.log.empty());
    EXPECT_EQ(platform->async_posts, 1);
    pm->DeliverAsyncNotify();
    EXPECT_EQ(notes.log, (std::vector<std::string>{"first:btnUninst", "second:ckb1", "third:btnUninst"}));
    EXPECT_EQ(notes.records[0].wParam, 7u);
    pm->SendNotify(a, L"again", 0, 0, true);
    EXPECT_EQ(platform->async_posts, 2);
    // A control destroyed before delivery takes its notifications with it.
    auto* page = static_cast<CContainerUI*>(find(L"background_one")->GetInterface(L"Container"));
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(page->Remove(a));
    pm->DeliverAsyncNotify();
    EXPECT_EQ(notes.log.size(), 3u);
    EXPECT_EQ(pm->FindControl(L"btnUninst"), nullptr);
}

TEST_F(Input, NotifiersRunInRegistrationOrderAndCanBeRemoved) {
    open();
    recorder second;
    std::vector<int> order;
    notes.hook = [&](TNotifyUI&) { order.push_back(1); };
    second.hook = [&](TNotifyUI&) { order.push_back(2); };
    EXPECT_TRUE(pm->AddNotifier(&second));
    EXPECT_FALSE(pm->AddNotifier(&second));
    pm->SendNotify(find(L"btnUninst"), L"custom");
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_TRUE(pm->RemoveNotifier(&second));
    EXPECT_FALSE(pm->RemoveNotifier(&second));
    pm->SendNotify(find(L"btnUninst"), L"custom");
    EXPECT_EQ(order, (std::vector<int>{1, 2, 1}));
}

// A window's notification map: type -> handler.
class Pump : public CNotifyPump {
public:
    Pump() { map_.push_back(ui_notify_entry{L"click", [this](TNotifyUI& m) { clicked.push_back(m.pSender); }}); }
    std::vector<CControlUI*> clicked;

protected:
    const ui_notify_map& GetMessageMap() override { return map_; }

private:
    ui_notify_map map_;
};

TEST(NotifyPump, RunsTheEntryOfTheType) {
    Pump pump;
    CControlUI sender;
    TNotifyUI msg;
    msg.pSender = &sender;
    msg.sType = L"click";
    EXPECT_TRUE(pump.NotifyPump(msg));
    msg.sType = L"selectchanged";
    EXPECT_FALSE(pump.NotifyPump(msg));
    msg.sType = L"Click";   // the map compares exactly
    EXPECT_FALSE(pump.NotifyPump(msg));
    EXPECT_EQ(pump.clicked, (std::vector<CControlUI*>{&sender}));
}

}  // namespace
