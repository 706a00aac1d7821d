// kelvo-render's core against the window: for the same text and settings, the samples the render
// core makes are the samples Send Text hands to the sound device, one for one; the device gets
// only the final flush's padding of silence on top.
#include "gui_fixture.h"
#include "ui/main/form1.h"

#include "render/render.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

using namespace kelvo;

namespace {

// Letters in both cases, digits, spaces, a line break, the dit stream, punctuation with and
// without code, a Latin-1 letter, a Cyrillic letter, a character beyond 16 bits, a no-break space
// and a line separator (each only a character gap, not a word gap or a line break).
const char* const Text =
    "Kelvo 73 de Q1ABC\n@@ ok! caf\xC3\xA9 \xD0\x96\xF0\x9F\x98\x80 end? 599\xC2\xA0" "73\xE2\x80\xA8" "GL";

}  // namespace

class RenderEquivalenceTest : public QObject {
    Q_OBJECT
private slots:
    void sameSamplesAsSendText_data() {
        QTest::addColumn<int>("codeSpeed");
        QTest::addColumn<int>("charSpeed");
        QTest::addColumn<int>("frequency");
        QTest::addColumn<int>("riseMs");
        QTest::addColumn<int>("harmonics");
        QTest::addColumn<bool>("square");
        QTest::newRow("start-up settings") << 5 << 14 << 800 << 5 << 1 << false;
        QTest::newRow("Farnsworth, square wave") << 12 << 20 << 650 << 3 << 2 << true;
        QTest::newRow("plain timing, pure sine") << 20 << 12 << 1000 << 8 << 0 << false;
        QTest::newRow("three harmonics, slow rise") << 15 << 35 << 500 << 50 << 3 << false;
    }
    void sameSamplesAsSendText() {
        QFETCH(int, codeSpeed);
        QFETCH(int, charSpeed);
        QFETCH(int, frequency);
        QFETCH(int, riseMs);
        QFETCH(int, harmonics);
        QFETCH(bool, square);

        test::ErrorRecorder errors;
        const auto capture = test::UseCaptureDevice();
        const auto form = std::make_unique<TForm1>();
        // Through the window's own controls, as a learner sets them.
        form->CspeedScrollbar->SetPosition(codeSpeed);
        form->SpeedScrollBar->SetPosition(charSpeed);
        form->Freqscrollbar->SetPosition(frequency);
        form->SpinEdit2->setValue(riseMs);
        form->SpinEdit3->setValue(harmonics);
        if (square) form->CheckBox3->click();
        TForm1::SetMemoText(form->Memo1, QString::fromUtf8(Text));
        form->Sendbutton->click();
        QCOMPARE(errors.Messages, QStringList());

        RenderSettings settings;
        settings.CodeSpeed = codeSpeed;
        settings.CharSpeed = charSpeed;
        settings.ToneFreq = frequency;
        settings.RiseMs = riseMs;
        settings.Harmonics = harmonics;
        settings.SquareWave = square;
        std::vector<std::int16_t> rendered;
        TextRenderer(settings).Render(KeyedText(Text), [&](std::int16_t s) { rendered.push_back(s); });

        const std::vector<std::int16_t> sent = test::SamplesWhenQueued(*capture, rendered.size());
        QVERIFY2(sent.size() >= rendered.size(), "the window sent less than the render made");
        const auto [differs, _] = std::mismatch(rendered.begin(), rendered.end(), sent.begin());
        QVERIFY2(differs == rendered.end(),
                 qPrintable(QStringLiteral("first difference at sample %1").arg(differs - rendered.begin())));
        // The rest is the flush: silence up to the end of the last buffer.
        QVERIFY(std::all_of(sent.begin() + rendered.size(), sent.end(), [](std::int16_t s) { return s == 0; }));
        QCOMPARE(sent.size(), test::PaddedToBuffers(rendered.size()));
    }
};

KELVO_GUI_TEST_MAIN(RenderEquivalenceTest)
#include "test_render_equivalence.moc"
