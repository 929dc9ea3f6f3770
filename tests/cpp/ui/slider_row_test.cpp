#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <QApplication>
#include <QLayout>
#include <QSignalSpy>
#include <QTest>

#include "ui/slider_row.h"

namespace trembla {
namespace {

class SliderRowTest : public ::testing::Test {
protected:
    // A row like the setup page's "Amount": 0 to 200, starting at 100.
    void SetUp() override {
        row = std::make_unique<SliderRow>(QStringLiteral("Amount"), 0, 200, 100, 55);
        row->show();
        spy = std::make_unique<QSignalSpy>(row.get(), &SliderRow::valueChanged);
    }

    // Types text into the field and presses Return, as a user commits a number.
    void commit(const QString& text) {
        row->value_field->setText(text);
        QTest::keyClick(row->value_field, Qt::Key_Return);
    }

    std::vector<int> emitted() const {
        std::vector<int> values;
        for (const QList<QVariant>& arguments : *spy) {
            values.push_back(arguments.at(0).toInt());
        }
        return values;
    }

    void start_at(int value) {
        row->setValue(value);
        spy->clear();
    }

    std::unique_ptr<SliderRow> row;
    std::unique_ptr<QSignalSpy> spy;
};

TEST_F(SliderRowTest, BuildsCaptionFieldAndSliderFromItsArguments) {
    SliderRow axis(QStringLiteral("X"), 0, 100, 100, 35);
    EXPECT_EQ(axis.label->text(), QStringLiteral("X"));
    EXPECT_EQ(axis.label->width(), 35);
    EXPECT_EQ(axis.label->property("class").toString(), QStringLiteral("sliderLabel"));
    EXPECT_EQ(axis.value_field->text(), QStringLiteral("100"));
    EXPECT_EQ(axis.value_field->property("class").toString(), QStringLiteral("sliderValue"));
    EXPECT_EQ(axis.value_field->minimumWidth(), 40);
    EXPECT_EQ(axis.value_field->maximumWidth(), 40);
    EXPECT_EQ(axis.value_field->alignment(), Qt::AlignCenter);
    EXPECT_EQ(axis.slider->orientation(), Qt::Horizontal);
    EXPECT_EQ(axis.slider->minimum(), 0);
    EXPECT_EQ(axis.slider->maximum(), 100);
    EXPECT_EQ(axis.value(), 100);
    EXPECT_EQ(axis._min, 0);
    EXPECT_EQ(axis._max, 100);

    SliderRow defaults(QStringLiteral("Plain"));
    EXPECT_EQ(defaults.value(), 50);
    EXPECT_EQ(defaults.slider->maximum(), 100);
    EXPECT_EQ(defaults.label->width(), 55);
}

TEST_F(SliderRowTest, TypedNumberAboveRangeClampsToMaximumAndSignalsOnce) {
    start_at(120);
    commit(QStringLiteral("250"));
    EXPECT_EQ(row->value(), 200);
    EXPECT_EQ(emitted(), std::vector<int>{200});
    EXPECT_EQ(row->value_field->text(), QStringLiteral("200"));
}

TEST_F(SliderRowTest, TypedNumberBelowRangeClampsToMinimum) {
    SliderRow lag(QStringLiteral("Lag T"), 0, 15, 0, 55);
    lag.show();
    lag.setValue(4);
    QSignalSpy lag_spy(&lag, &SliderRow::valueChanged);
    lag.value_field->setText(QStringLiteral("-5"));
    QTest::keyClick(lag.value_field, Qt::Key_Return);
    EXPECT_EQ(lag.value(), 0);
    EXPECT_EQ(lag_spy.count(), 1);
    EXPECT_EQ(lag.value_field->text(), QStringLiteral("0"));
}

TEST_F(SliderRowTest, TypedNumberEqualToCurrentAfterClampingKeepsTypedTextAndStaysSilent) {
    start_at(200);
    commit(QStringLiteral("250"));
    EXPECT_EQ(row->value(), 200);
    EXPECT_TRUE(emitted().empty());
    EXPECT_EQ(row->value_field->text(), QStringLiteral("250"));

    start_at(7);
    commit(QStringLiteral("007"));
    EXPECT_EQ(row->value(), 7);
    EXPECT_TRUE(emitted().empty());
    EXPECT_EQ(row->value_field->text(), QStringLiteral("007"));
}

TEST_F(SliderRowTest, AcceptsSignsAndSurroundingWhiteSpace) {
    start_at(10);
    commit(QStringLiteral("  42 "));
    EXPECT_EQ(row->value(), 42);
    commit(QStringLiteral("+43"));
    EXPECT_EQ(row->value(), 43);
    commit(QStringLiteral("\t-0\n"));
    EXPECT_EQ(row->value(), 0);
    EXPECT_EQ(emitted(), (std::vector<int>{42, 43, 0}));
}

TEST_F(SliderRowTest, NumbersTooLargeForAnIntClampToTheRange) {
    start_at(10);
    commit(QStringLiteral("99999999999999999999999"));
    EXPECT_EQ(row->value(), 200);
    commit(QStringLiteral("-99999999999999999999999"));
    EXPECT_EQ(row->value(), 0);
    commit(QStringLiteral("2147483648"));
    EXPECT_EQ(row->value(), 200);
    EXPECT_EQ(emitted(), (std::vector<int>{200, 0, 200}));
}

TEST_F(SliderRowTest, UnparsableTextRestoresTheSliderValueWithoutSignal) {
    start_at(120);
    const QString failures[] = {QStringLiteral("abc"),        QStringLiteral("1.5"),  QStringLiteral(""),
                                QStringLiteral("   "),        QStringLiteral("+"),    QStringLiteral("--3"),
                                QStringLiteral("1 2"),        QStringLiteral("0x10"), QStringLiteral("12a"),
                                QString::fromUtf8("\xd9\xa3")};  // ARABIC-INDIC DIGIT THREE
    for (const QString& text : failures) {
        commit(text);
        EXPECT_EQ(row->value_field->text(), QStringLiteral("120")) << text.toStdString();
        EXPECT_EQ(row->value(), 120) << text.toStdString();
    }
    EXPECT_TRUE(emitted().empty());
}

TEST_F(SliderRowTest, LosingFocusCommitsTheTypedNumber) {
    QLineEdit elsewhere;
    auto* layout = row->layout();
    layout->addWidget(&elsewhere);
    elsewhere.show();
    row->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(row.get()));
    start_at(120);
    row->value_field->setFocus();
    QTest::keyClicks(row->value_field, QStringLiteral("5"));  // appended: "1205"
    elsewhere.setFocus();
    EXPECT_EQ(row->value(), 200);
    EXPECT_EQ(emitted(), std::vector<int>{200});
    layout->removeWidget(&elsewhere);
}

TEST_F(SliderRowTest, SetValueInRangeSignalsOnceAndShowsTheValue) {
    row->setValue(150);
    EXPECT_EQ(row->value(), 150);
    EXPECT_EQ(emitted(), std::vector<int>{150});
    EXPECT_EQ(row->value_field->text(), QStringLiteral("150"));
}

TEST_F(SliderRowTest, SetValueToCurrentStaysSilentButRewritesTheField) {
    start_at(150);
    row->value_field->setText(QStringLiteral("typed, not committed"));
    row->setValue(150);
    EXPECT_TRUE(emitted().empty());
    EXPECT_EQ(row->value_field->text(), QStringLiteral("150"));
}

TEST_F(SliderRowTest, SetValueAboveRangeShowsTheUnclampedNumberUntilTheSliderMoves) {
    start_at(120);
    row->setValue(250);
    EXPECT_EQ(row->value(), 200);
    EXPECT_EQ(emitted(), std::vector<int>{200});
    EXPECT_EQ(row->value_field->text(), QStringLiteral("250"));

    row->slider->setValue(199);
    EXPECT_EQ(row->value_field->text(), QStringLiteral("199"));
}

TEST_F(SliderRowTest, MovingTheSliderUpdatesTheFieldOncePerDistinctValue) {
    start_at(100);
    row->slider->setFocus();
    QTest::keyClick(row->slider, Qt::Key_Right);
    EXPECT_EQ(row->value_field->text(), QStringLiteral("101"));
    QTest::keyClick(row->slider, Qt::Key_Right);
    QTest::keyClick(row->slider, Qt::Key_End);
    QTest::keyClick(row->slider, Qt::Key_End);  // already at the end: no change, no signal
    EXPECT_EQ(emitted(), (std::vector<int>{101, 102, 200}));
    EXPECT_EQ(row->value_field->text(), QStringLiteral("200"));
}

TEST_F(SliderRowTest, ConsumersSeeTheFieldAlreadyUpdated) {
    QString field_when_signalled;
    QObject::connect(row.get(), &SliderRow::valueChanged,
                     [&](int) { field_when_signalled = row->value_field->text(); });
    row->slider->setValue(33);
    EXPECT_EQ(field_when_signalled, QStringLiteral("33"));
}

}  // namespace
}  // namespace trembla
