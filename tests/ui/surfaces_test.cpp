// The interface's surfaces, rendered offscreen and driven as a user would.

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include "app_delegate.h"
#include "fan_model_fixture.h"
#include "helper_process.h"
#include "menu_popover_view.h"
#include "notch_controller.h"
#include "preset_editor_view.h"
#include "status_item_controller.h"
#include "widget_part.h"

namespace ventoria::ui {
namespace {

using app::DisplayMode;
using app::Preset;
using test::eventually;
using Events = std::vector<std::string>;

// Waits for a condition while the event loop runs.
bool soon(const std::function<bool()>& condition) {
    return QTest::qWaitFor(condition, 5000);
}

class PopoverTest : public test::FanModelFixture {};

TEST_F(PopoverTest, ATileClickSelectsItsPreset) {
    installable();
    auto& m = start();
    MenuPopoverView view(
        m, [] {}, [] {});
    view.show();
    QTest::mouseClick(part<PresetTile>(view, "tile-max"), Qt::LeftButton);
    waitUntilApplied();
    EXPECT_EQ(m.preset(), Preset::max);
    EXPECT_EQ(helper.events.back(), "setFraction:reply:");
    EXPECT_EQ(part<ElidingLabel>(view, "subtitle")->text(), "Fixed 100 %");
}

TEST_F(PopoverTest, TheSelectedTileWearsTheAccent) {
    auto& m = start();
    MenuPopoverView view(
        m, [] {}, [] {});
    view.show();
    auto* selected = part<PresetTile>(view, "tile-auto");
    QImage picture = selected->grab().toImage();
    EXPECT_EQ(QColor(picture.pixel(picture.width() / 2, 4)).rgb(), accentColor().rgb());
    QImage other = part<PresetTile>(view, "tile-max")->grab().toImage();
    EXPECT_NE(QColor(other.pixel(other.width() / 2, 4)).rgb(), accentColor().rgb());
}

// An installation that fails at once moves the preset max → auto within one pass of the event
// loop: the highlight ends on the model's preset, not on the first change.
TEST_F(PopoverTest, TheHighlightedTileIsAlwaysTheModelsPreset) {
    helper.installFailure = "helper missing from app bundle";
    auto& m = start();
    MenuPopoverView view(
        m, [] {}, [] {});
    view.show();
    QTest::mouseClick(part<PresetTile>(view, "tile-max"), Qt::LeftButton);
    waitUntilApplied();
    EXPECT_EQ(m.preset(), Preset::automatic);
    auto wearsAccent = [&](Preset preset) {
        QImage tile = part<PresetTile>(view, tileName(preset))->grab().toImage();
        return QColor(tile.pixel(tile.width() / 2, 4)).rgb() == accentColor().rgb();
    };
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return wearsAccent(Preset::automatic) && !wearsAccent(Preset::max); }, 3000));
}

// A long error is cut at a word with an ellipsis, and the whole of it is the tooltip.
// An error reads whole in the popover, in the one wording its kind has, and the system's long
// words for it are at hand in the tooltip.
TEST_F(PopoverTest, AnErrorReadsWholeWithItsDetailAtHand) {
    helper.installFailure =
        "The administrator password was not accepted because the authorization service did not "
        "answer in time";
    auto& m = start();
    MenuPopoverView view(
        m, [] {}, [] {});
    view.show();
    m.select(Preset::max);
    waitUntilApplied();
    auto* subtitle = part<ElidingLabel>(view, "subtitle");
    EXPECT_EQ(subtitle->text(), "Helper install failed");
    EXPECT_EQ(subtitle->toolTip(), *m.errorMessage());
    EXPECT_TRUE(m.errorMessage()->endsWith("did not answer in time"));
    for (auto error : {app::errors::retrying({}), app::errors::connectionEnded(),
                       app::errors::fanNotControlled(1), app::errors::unsaved({}),
                       app::errors::unreadablePreferences({}), app::errors::unreadableAnswer()}) {
        subtitle->setFullText(error.summary, error.detail);
        EXPECT_EQ(subtitle->text(), error.summary) << "elided: " << error.summary.toStdString();
    }
    hardware::FanReading fan{1, 3720, 1200, 6200, true};
    auto offTarget = app::errors::fanOffTarget(fan, 1.0);
    subtitle->setFullText(offTarget.summary, offTarget.detail);
    EXPECT_EQ(subtitle->text(), offTarget.summary);
    EXPECT_EQ(subtitle->toolTip(), "Fan 2 runs at 3720 rpm, not the 6200 rpm asked");
}

TEST_F(PopoverTest, TheNotchSwitchRefusesWithoutANotchDisplay) {
    auto& m = start();
    MenuPopoverView view(
        m, [] {}, [] {});
    view.show();
    QTest::mouseClick(part<ToggleSwitch>(view, "notchSwitch"), Qt::LeftButton);
    EXPECT_EQ(m.placement().preferredMode(), DisplayMode::menu);
    EXPECT_FALSE(part<ToggleSwitch>(view, "notchSwitch")->isOn());
    m.placement().setNotchAvailable(true);
    QTest::mouseClick(part<ToggleSwitch>(view, "notchSwitch"), Qt::LeftButton);
    EXPECT_EQ(m.placement().preferredMode(), DisplayMode::notch);
    EXPECT_TRUE(part<ToggleSwitch>(view, "notchSwitch")->isOn());
}

TEST_F(PopoverTest, TheHeaderSpinsOnlyWhileShown) {
    auto& m = start();
    MenuPopoverView view(
        m, [] {}, [] {});
    EXPECT_GT(part<FanGlyph>(view, "glyph")->spin(), 0);  // fans at their minimum still turn
    EXPECT_FALSE(part<FanGlyph>(view, "glyph")->spinning());
    view.show();
    EXPECT_TRUE(part<FanGlyph>(view, "glyph")->spinning());
    view.hide();
    EXPECT_FALSE(part<FanGlyph>(view, "glyph")->spinning());
}

TEST_F(PopoverTest, AHiddenPopoverAnimatesNothing) {
    LevelBar bar;
    bar.setLevel(0.8);  // hidden: takes the value, runs no frames
    EXPECT_EQ(bar.shownLevel(), 0.8);
    bar.show();
    bar.setLevel(0.2);
    EXPECT_EQ(bar.shownLevel(), 0.8);  // shown: eases over 0.8 s
    EXPECT_TRUE(soon([&] { return bar.shownLevel() == 0.2; }));
}

class FanlessPopoverTest : public test::FanModelFixture {
  protected:
    FanlessPopoverTest() : FanModelFixture(sim::Profile::fanless) {}
};

TEST_F(FanlessPopoverTest, WithoutFansTheTilesAreDisabled) {
    auto& m = start();
    MenuPopoverView view(
        m, [] {}, [] {});
    EXPECT_FALSE(part<PresetTile>(view, "tile-max")->isEnabled());
    EXPECT_EQ(part<ElidingLabel>(view, "subtitle")->text(), "No fans detected");
}

class StatusItemTest : public test::FanModelFixture {};

TEST_F(StatusItemTest, TheIconTurnsRedInASafetyBoostAndBack) {
    installable();
    auto& m = start();
    StatusItemController item(m, [] {});
    EXPECT_FALSE(item.safetyIcon());
    m.select(Preset::smart);
    waitUntilApplied();
    helper.answer = std::optional<std::string>(
        R"({"phase":"safety","driver":"safety","level":1,"cooldown":0})");
    m.poll();
    ASSERT_TRUE(soon([&] { return item.safetyIcon(); }));
    QColor red = iconSafetyColor(desktopIsDark());
    bool redPixel = false;
    for (int y = 0; y < item.icon().height(); ++y) {
        for (int x = 0; x < item.icon().width(); ++x)
            redPixel |= item.icon().pixelColor(x, y) == red;
    }
    EXPECT_TRUE(redPixel);
    helper.answer = std::optional<std::string>();
    m.select(Preset::balanced);
    waitUntilApplied();
    EXPECT_FALSE(item.safetyIcon());
}

TEST_F(StatusItemTest, TheNotchTakesOverAndGivesBack) {
    auto& m = start();
    StatusItemController item(m, [] {});
    EXPECT_TRUE(item.itemVisible());
    m.placement().setNotchAvailable(true);
    m.placement().setDisplayMode(DisplayMode::notch);
    EXPECT_FALSE(item.itemVisible());
    EXPECT_FALSE(item.popover()->isVisible());
    m.placement().setDisplayMode(DisplayMode::menu);
    EXPECT_TRUE(item.itemVisible());
}

// The icon's click that closed the popover from outside must not open it again: for 250 ms
// after such a close the icon's click is that same click. A close by the icon itself leaves
// nothing to guard against.
TEST_F(StatusItemTest, TheClickThatClosedThePopoverDoesNotReopenIt) {
    using std::chrono::milliseconds;
    auto& m = start();
    std::chrono::steady_clock::time_point now{std::chrono::hours(1)};
    StatusItemController item(
        m, [] {}, [&now] { return now; });
    auto* popover = item.popover();
    ASSERT_TRUE(popover->isVisible());  // no tray here: it opens at start
    popover->close();                   // a click outside it
    now += milliseconds(249);
    item.toggle();
    EXPECT_FALSE(popover->isVisible()) << "the closing click opened it again";
    now += milliseconds(1);
    item.toggle();
    EXPECT_TRUE(popover->isVisible()) << "a click 250 ms on is a click of its own";
    item.toggle();  // closed by the icon
    item.toggle();
    EXPECT_TRUE(popover->isVisible());
}

// Without a tray (offscreen here, bare X, stock GNOME) the popover is an ordinary window: it
// opens at start, centred, says once why it is there, and comes back where the user left it.
TEST_F(StatusItemTest, WithoutATrayThePopoverIsAWindowThatSaysWhy) {
    auto& m = start();
    StatusItemController item(m, [] {});
    auto* window = item.popover();
    ASSERT_FALSE(window->popup());
    ASSERT_TRUE(window->isVisible());
    EXPECT_FALSE(window->windowFlags() & Qt::FramelessWindowHint);
    auto screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((window->geometry().center() - screen.center()).manhattanLength(), 12);
    auto* note = part<QLabel>(*window, "noTrayNote");
    EXPECT_TRUE(note->isVisible());
    EXPECT_TRUE(note->text().startsWith("There is no system tray here"));
    window->move(40, 60);
    item.toggle();
    QTest::qWait(300);  // past the click-through guard
    item.toggle();
    EXPECT_EQ(window->pos(), QPoint(40, 60));
    EXPECT_FALSE(note->isVisible());  // said once
}

TEST_F(StatusItemTest, TheItemIsHighlightedExactlyWhileThePopoverShows) {
    auto& m = start();
    StatusItemController item(m, [] {});
    item.toggle();  // without a tray the popover starts open; this closes it
    EXPECT_FALSE(item.popover()->isVisible());
    EXPECT_FALSE(item.highlighted());
    item.toggle();
    EXPECT_TRUE(item.popover()->isVisible());
    EXPECT_TRUE(item.highlighted());
    item.toggle();
    EXPECT_FALSE(item.popover()->isVisible());
    EXPECT_FALSE(item.highlighted());
}

// The popover closes under the pointer, so the row gets no leave event; opened again, no row
// may still wear the hover highlight.
TEST_F(StatusItemTest, ARowHoveredWhenThePopoverClosedIsPlainWhenItOpens) {
    auto& m = start();
    StatusItemController item(m, [] {});
    item.toggle();
    auto* row = part<MenuRow>(*item.popover()->view(), "editRow");
    auto plain = row->grab().toImage();
    QEvent enter(QEvent::HoverEnter);
    QApplication::sendEvent(row, &enter);
    EXPECT_NE(row->grab().toImage(), plain);  // highlighted while hovered
    item.toggle();
    QTest::qWait(400);  // past the click-through guard
    item.toggle();
    EXPECT_EQ(row->grab().toImage(), plain);
}

TEST_F(StatusItemTest, EditingPresetsClosesThePopoverFirst) {
    auto& m = start();
    StatusItemController item(m, [] {});
    item.popover()->show();
    bool popoverWasOpen = true;
    QObject::connect(&m, &app::FanModel::editPresetsRequested,
                     [&] { popoverWasOpen = item.popover()->isVisible(); });
    QTest::mouseClick(part<MenuRow>(*item.popover()->view(), "editRow"), Qt::LeftButton);
    EXPECT_FALSE(popoverWasOpen);
}

class EditorTest : public test::FanModelFixture {
  protected:
    app::FanModel& m = start();
    int closed = 0;
    PresetEditorView view{m, [this] { ++closed; }};
};

TEST_F(EditorTest, ResetIsOfferedOnlyOffTheDefaultsAndSavesNothing) {
    EXPECT_FALSE(part<QPushButton>(view, "reset")->isEnabled());
    part<QSlider>(view, "slider-balanced")->setValue(62);  // stores 60, still the default
    EXPECT_FALSE(part<QPushButton>(view, "reset")->isEnabled());
    part<QSlider>(view, "slider-balanced")->setValue(43);
    EXPECT_EQ(view.draft().balanced, 45);
    EXPECT_TRUE(part<QPushButton>(view, "reset")->isEnabled());
    QTest::mouseClick(part<QPushButton>(view, "reset"), Qt::LeftButton);
    EXPECT_EQ(view.draft(), app::kDefaultCustom);
    EXPECT_FALSE(part<QPushButton>(view, "reset")->isEnabled());
    EXPECT_EQ(closed, 0);
    EXPECT_FALSE(stored("balanced").isValid());
}

TEST_F(EditorTest, TheChartFollowsTheTemperatureWhileOpen) {
    auto* chart = view.findChild<CurveChart*>();
    ASSERT_TRUE(chart);
    // The design's proportions at the editor's content width (400 less two 20-point margins):
    // 340 × 120 design units of plot, 8 above, a 16-point caption and 4 below.
    EXPECT_EQ(chart->heightForWidth(352), 148);
    EXPECT_EQ(chart->height(), 151);
    auto before = chart->current();
    mac->setLoad(100);
    advance(300);
    m.poll();
    ASSERT_TRUE(chart->current());
    EXPECT_NE(chart->current(), before);
    EXPECT_EQ(chart->current(), m.temps().chip);
}

TEST(UnitText, NumbersKeepTheirUnits) {
    EXPECT_EQ(app::keepUnitsTogether(QStringLiteral("at 52 °C chip, 40 % after 60 s, 1200 rpm")),
              QStringLiteral("at 52\u00A0°C chip, 40\u00A0% after 60\u00A0s, 1200\u00A0rpm"));
    EXPECT_EQ(app::keepUnitsTogether(QStringLiteral("Fans off in seconds")),
              QStringLiteral("Fans off in seconds"));
}

TEST_F(EditorTest, EscapeCancelsAndReturnSaves) {
    part<QSlider>(view, "slider-balanced")->setValue(45);
    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(m.custom().balanced, 60);
    PresetEditorView again(m, [this] { ++closed; });
    part<QSlider>(again, "slider-balanced")->setValue(45);
    part<QSlider>(again, "minimumSlider")->setValue(17);
    QTest::keyClick(&again, Qt::Key_Return);
    EXPECT_EQ(closed, 2);
    EXPECT_EQ(m.custom().balanced, 45);
    EXPECT_EQ(m.smart().minimum, 15);
    EXPECT_EQ(stored("balanced"), 45);
}

TEST_F(EditorTest, SlidersSnapAndExplainTheMinimum) {
    part<QSlider>(view, "slider-max")->setValue(63);
    EXPECT_EQ(view.draft().max, 65);
    EXPECT_EQ(part<QSlider>(view, "slider-max")->value(), 65);
    // The texts wrap, so each number holds on to its unit with a non-breaking space.
    auto shown = [](const QLabel* label) {
        return label->text().replace(QChar(0x00A0), QLatin1Char(' '));
    };
    EXPECT_EQ(shown(part<QLabel>(view, "minimumNote")),
              "At 0 %, Smart hands the fans back to macOS after 60 s of being cool.");
    EXPECT_FALSE(part<QLabel>(view, "minimumNote")->text().contains(QStringLiteral("0 %")));
    part<QSlider>(view, "minimumSlider")->setValue(15);
    EXPECT_EQ(shown(part<QLabel>(view, "minimumNote")),
              "Smart keeps the fans at 15 % or more and doesn’t hand back to macOS.");
    EXPECT_EQ(shown(part<QLabel>(view, "curveNote")),
              "Starts cooling at 68 °C chip or 38 °C case. Full speed at 95 °C or 52 °C.");
}

TEST_F(EditorTest, TheChartsAxisIsNotPartOfTheDraft) {
    view.show();
    auto* axis = part<Segmented>(view, "chartAxis");
    QPoint caseOption;
    for (int x = axis->width() - 1; x >= 0; --x) {
        if (axis->optionAt(QPoint(x, axis->height() / 2)) == 1)
            caseOption = QPoint(x, axis->height() / 2);
    }
    QTest::mouseClick(axis, Qt::LeftButton, {}, caseOption);
    EXPECT_EQ(axis->selected(), 1);
    EXPECT_FALSE(view.chartChip());
    EXPECT_EQ(view.draft(), app::kDefaultCustom);
    EXPECT_FALSE(part<QPushButton>(view, "reset")->isEnabled());
}

TEST_F(EditorTest, OpeningTwiceShowsOneWindowWithFreshValues) {
    PresetEditorController editor(m);
    editor.show();
    auto* window = editor.window();
    part<QSlider>(*editor.view(), "slider-balanced")->setValue(80);
    editor.show();
    EXPECT_EQ(editor.window(), window);
    EXPECT_EQ(editor.view()->draft().balanced, 60);
    EXPECT_TRUE(window->isVisible());
}

// Screens as the test says they are.
class TestDisplays : public NotchDisplays {
  public:
    std::optional<NotchScreen> screen;
    std::optional<NotchScreen> notchScreen() override { return screen; }
    void attach(bool attached) {
        screen = attached ? std::optional(NotchScreen{QRect(0, 0, 1512, 982), QSize(200, 32)})
                          : std::nullopt;
        emit changed();
    }
};

class NotchTest : public test::FanModelFixture {
  protected:
    NotchController& controller(bool attached) {
        auto owned = std::make_unique<TestDisplays>();
        displays = owned.get();
        displays->screen = attached
                               ? std::optional(NotchScreen{QRect(0, 0, 1512, 982), QSize(200, 32)})
                               : std::nullopt;
        notch = std::make_unique<NotchController>(*model, std::move(owned), [] {});
        return *notch;
    }
    bool panelShown() { return notch->panel() && notch->panel()->isVisible(); }

    TestDisplays* displays = nullptr;
    std::unique_ptr<NotchController> notch;
};

TEST_F(NotchTest, ANotchScreenAttachedLaterShowsThePanelWithoutARestart) {
    store("mode", "notch");
    auto& m = start();
    controller(false);
    EXPECT_FALSE(m.placement().notchAvailable());
    EXPECT_FALSE(panelShown());
    displays->attach(true);
    EXPECT_TRUE(m.placement().notchAvailable());
    ASSERT_TRUE(panelShown());
    EXPECT_EQ(notch->panel()->geometry(), QRect(610, 0, 292, 32));
    displays->attach(false);
    EXPECT_FALSE(panelShown());
}

TEST_F(NotchTest, APanelThatWentAwayOpenComesBackClosed) {
    store("mode", "notch");
    auto& m = start();
    controller(true);
    m.placement().setNotchOpen(true);
    displays->attach(false);
    EXPECT_FALSE(m.placement().notchOpen());
    displays->attach(true);
    EXPECT_TRUE(panelShown());
    EXPECT_FALSE(m.placement().notchOpen());
}

TEST_F(NotchTest, OpeningGrowsAtOnceAndClosingShrinksAfterTheAnimation) {
    store("mode", "notch");
    auto& m = start();
    auto& c = controller(true);
    m.placement().setNotchOpen(true);
    EXPECT_EQ(c.panel()->geometry(), QRect(536, 0, 440, 254));
    EXPECT_TRUE(c.state().open());
    m.placement().setNotchOpen(false);
    EXPECT_FALSE(c.state().open());
    EXPECT_TRUE(c.collapsePending());
    EXPECT_EQ(c.panel()->geometry().size(), QSize(440, 254));
    ASSERT_TRUE(soon([&] { return !c.collapsePending(); }));
    EXPECT_EQ(c.panel()->geometry(), QRect(610, 0, 292, 32));
}

TEST_F(NotchTest, ReopeningWithinTheDelayCancelsTheShrink) {
    store("mode", "notch");
    auto& m = start();
    auto& c = controller(true);
    m.placement().setNotchOpen(true);
    m.placement().setNotchOpen(false);
    m.placement().setNotchOpen(true);
    EXPECT_FALSE(c.collapsePending());
    EXPECT_EQ(c.panel()->geometry().size(), QSize(440, 254));
}

TEST_F(NotchTest, TappingTheBarTogglesAndMovingToTheMenuBarHides) {
    store("mode", "notch");
    auto& m = start();
    auto& c = controller(true);
    auto* view = c.panel()->view();
    QTest::mouseClick(view, Qt::LeftButton, {}, view->headerRect().center().toPoint());
    EXPECT_TRUE(m.placement().notchOpen());
    ASSERT_TRUE(soon([&] { return view->openness() >= 0.999; }));
    EXPECT_EQ(view->chipText(), app::wholeText(*m.temps().chip) + "°");
    EXPECT_NEAR(view->chipColor().alphaF(), 0.45, 0.001);  // white at 0.45 outside a Smart boost
    m.placement().setDisplayMode(DisplayMode::menu);
    EXPECT_FALSE(panelShown());
    EXPECT_FALSE(c.state().open());
    EXPECT_EQ(view->openness(), 0);  // reset without animation
}

// The fans' speeds are the header bar's hint only; the open body's controls are not covered.
TEST_F(NotchTest, TheSpeedsTooltipBelongsToTheHeaderBar) {
    store("mode", "notch");
    auto& m = start();
    auto& c = controller(true);
    auto* view = c.panel()->view();
    m.placement().setNotchOpen(true);
    ASSERT_TRUE(soon([&] { return view->openness() >= 0.999; }));
    auto ask = [&](QPoint at) {
        QHelpEvent help(QEvent::ToolTip, at, view->mapToGlobal(at));
        QApplication::sendEvent(view, &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    auto body = view->headerRect().bottomLeft().toPoint() + QPoint(40, 60);
    EXPECT_EQ(ask(body), QString());
    EXPECT_EQ(ask(view->headerRect().center().toPoint()), m.fanSummary());
}

TEST_F(NotchTest, AViewOpenedBeforeItIsShownLaysOutItsBody) {
    auto& m = start();
    NotchState state;
    state.setNotchSize(QSizeF(200, 32));
    NotchView view(m, state, [] {});
    state.setOpen(true, std::nullopt);
    view.resize(440, 254);
    view.show();
    EXPECT_EQ(part<QWidget>(view, "body")->pos(),
              QPoint(30, 32));  // centred under the housing's bar
    EXPECT_EQ(view.contentRect(), QRectF(30, 0, 380, 224));
}

TEST_F(NotchTest, TheVirtualMacsDisplayIsLookedAtAgainOnlyWhenAsked) {
    start();
    auto screens = systemNotchDisplays();
    ASSERT_TRUE(screens->notchScreen());
    EXPECT_EQ(screens->notchScreen()->notch, QSize(200, 32));  // the apple-silicon laptop's
    QSignalSpy changed(screens.get(), &NotchDisplays::changed);
    mac->setDisplay({});
    screens->recheck();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_FALSE(screens->notchScreen());
    screens->recheck();
    EXPECT_EQ(changed.count(), 1);  // nothing new, nothing said
    mac->setDisplay({300, 38});
    screens->recheck();
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(screens->notchScreen()->notch, QSize(300, 38));
}

TEST_F(NotchTest, EveryPollLooksAtTheDisplaysAgain) {
    auto& m = start();
    NotchController controller(m, systemNotchDisplays(), [] {});
    EXPECT_TRUE(m.placement().notchAvailable());
    mac->setDisplay({});
    m.poll();
    EXPECT_FALSE(m.placement().notchAvailable());
    mac->setDisplay({300, 38});
    m.poll();
    EXPECT_TRUE(m.placement().notchAvailable());
}

class DelegateTest : public test::FanModelFixture {
  protected:
    AppDelegate& launch() {
        start();
        delegate =
            std::make_unique<AppDelegate>(std::move(model), std::make_unique<TestDisplays>());
        delegate->didFinishLaunching();
        return *delegate;
    }
    std::unique_ptr<AppDelegate> delegate;
};

TEST_F(DelegateTest, LaunchingCreatesTheInterfaceAndWiresTheEditor) {
    auto& d = launch();
    ASSERT_TRUE(d.presetEditor() && d.notch() && d.statusItem());
    d.model().editPresets();
    EXPECT_TRUE(d.presetEditor()->window()->isVisible());
}

TEST_F(DelegateTest, QuittingWithoutAHelperEndsAtOnce) {
    auto& d = launch();
    QSignalSpy ready(&d, &AppDelegate::readyToTerminate);
    d.requestQuit();
    ASSERT_TRUE(ready.wait(2000));
    EXPECT_TRUE(helper.events.empty());
}

TEST_F(DelegateTest, QuittingHandsTheFansBackOnceEvenUnderAuto) {
    test::placeHelperPlist();
    helper.answer = std::optional<std::string>();
    auto& d = launch();
    QSignalSpy ready(&d, &AppDelegate::readyToTerminate);
    d.requestQuit();
    d.requestQuit();
    ASSERT_TRUE(ready.wait(2000));
    EXPECT_EQ(helper.events, (Events{"connect", "setAutoWithReply:"}));
}

// A helper that does not answer the hand-back keeps the application from ending for 5 s and
// no more, counted on the model's own timer.
TEST_F(DelegateTest, QuittingWaitsForASilentHelperFiveSecondsAtMost) {
    test::placeHelperPlist();
    auto& d = launch();
    QSignalSpy ready(&d, &AppDelegate::readyToTerminate);
    d.requestQuit();
    QCoreApplication::processEvents();
    ASSERT_FALSE(retryTimer->started.empty());
    EXPECT_EQ(retryTimer->started.back(), std::chrono::milliseconds(5000));
    EXPECT_EQ(ready.count(), 0);
    retryTimer->elapse();
    EXPECT_TRUE(ready.count() == 1 || ready.wait(2000));
    EXPECT_EQ(helper.waiting.size(), 1u);  // the hand-back, still unanswered
}

TEST_F(DelegateTest, QuittingWhileAChoiceIsOnItsWayCancelsIt) {
    installable();
    auto& d = launch();
    d.model().select(Preset::max);  // waiting for launchd after the install
    QSignalSpy ready(&d, &AppDelegate::readyToTerminate);
    d.requestQuit();
    ASSERT_TRUE(ready.wait(2000));
    // The cancelled choice ended inside its wait for launchd, before the hand-back's reply.
    EXPECT_EQ(std::count(helper.events.begin(), helper.events.end(), "setFraction:reply:"), 0);
}

}  // namespace
}  // namespace ventoria::ui
