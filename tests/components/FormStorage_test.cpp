#include "components/FormPlacement.h"
#include "components/PropsStorage.h"

#include <QHBoxLayout>
#include <QLocale>
#include <QMap>
#include <QSplitter>
#include <gtest/gtest.h>

#include <memory>

#include "components/AlignLayout.h"
#include "platform/Registry.h"

namespace {

// A component with one property of each kind the storage knows.
class TProbe : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int Count MEMBER count)
    Q_PROPERTY(double Ratio MEMBER ratio)
    Q_PROPERTY(float Scale MEMBER scale)
    Q_PROPERTY(QString Caption MEMBER caption)
    Q_PROPERTY(QChar Mark MEMBER mark)
    Q_PROPERTY(bool Checked MEMBER checked)
    Q_PROPERTY(TMode Mode MEMBER mode)
    Q_PROPERTY(TParts Parts READ getParts WRITE setParts)
    Q_PROPERTY(QStringList Lines MEMBER lines)
    Q_PROPERTY(QWidget* Buddy MEMBER buddy)

public:
    enum TMode { mdNone, mdRead, mdWrite };
    Q_ENUM(TMode)
    enum Part { ptHeader = 1, ptBody = 2, ptFooter = 4 };
    Q_DECLARE_FLAGS(TParts, Part)
    Q_FLAG(TParts)

    using QWidget::QWidget;
    TParts getParts() const { return parts; }
    void setParts(TParts value) { parts = value; }

    int count = 0;
    double ratio = 0;
    float scale = 0;
    QString caption;
    QChar mark;
    bool checked = false;
    TMode mode = mdNone;
    TParts parts;
    QStringList lines;
    QWidget* buddy = nullptr;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TProbe::TParts)

// Values kept in memory, as the storage's read and write handlers see them.
struct MemoryStore
{
    QMap<QString, QString> values;
    QStringList erased;

    void attach(TPropsStorage& storage)
    {
        storage.SetOnWriteString([this](const QString& s, const QString& item, const QString& v) {
            values[s + '/' + item] = v;
        });
        storage.SetOnReadString([this](const QString& s, const QString& item, const QString& def) {
            return values.value(s + '/' + item, def);
        });
        storage.SetOnEraseSection([this](const QString& s) {
            erased << s;
            for (auto it = values.begin(); it != values.end();) {
                if (it.key().startsWith(s + '/'))
                    it = values.erase(it);
                else
                    ++it;
            }
        });
    }
};

class TStoredForm : public QWidget
{
    Q_OBJECT
public:
    explicit TStoredForm(const QStringList& props)
    {
        setGeometry(100, 100, 400, 300);
        storage = new TFormStorage(this);
        storage->SetIniFileName(kFormPlacementsKey);
        auto* layout = new AlignLayout(this);
        panel = new QWidget(this);
        panel->setObjectName("Panel1");
        panel->resize(120, 50);
        layout->addWidget(panel, TAlign::alLeft);
        probe = new TProbe(this);
        probe->setObjectName("Probe");
        layout->addWidget(probe, TAlign::alClient);
        storage->SetStoredProps(props);
    }
    TFormStorage* storage;
    QWidget* panel;
    TProbe* probe;
};

QString stored(const QString& name)
{
    QvRegistry registry;
    if (!registry.openKeyReadOnly("\\" + kFormPlacementsKey + "\\TStoredForm"))
        return "<no key>";
    return registry.valueExists(name) ? registry.readString(name) : "<no value>";
}

class FormStorageTest : public ::testing::Test
{
protected:
    void SetUp() override { QvRegistry().deleteKey("\\" + kFormPlacementsKey); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

} // namespace

TEST(PropsStorage, WritesEachKindAsText)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TProbe probe;
    probe.setObjectName("Probe");
    probe.count = -42;
    probe.ratio = 2.5;
    probe.scale = 0.125f;
    probe.caption = "  padded\t";
    probe.mark = 'x';
    probe.checked = true;
    probe.mode = TProbe::mdWrite;
    probe.parts = TProbe::ptHeader | TProbe::ptFooter;
    TPropsStorage storage(&probe, &probe, "Probe_", "Sec");
    MemoryStore memory;
    memory.attach(storage);

    for (const char* name : {"Count", "ratio", "Scale", "Caption", "Mark", "Checked", "Mode", "Parts"})
        EXPECT_TRUE(storage.StoreProperty(name)) << name;

    EXPECT_EQ(memory.values.value("Sec/Probe_Count"), "-42");
    EXPECT_EQ(memory.values.value("Sec/Probe_Ratio"), "2.5");  // "." under a "," locale
    EXPECT_EQ(memory.values.value("Sec/Probe_Scale"), "0.125");
    EXPECT_EQ(memory.values.value("Sec/Probe_Caption"), "padded");
    EXPECT_EQ(memory.values.value("Sec/Probe_Mark"), "x");
    EXPECT_EQ(memory.values.value("Sec/Probe_Checked"), "True");
    EXPECT_EQ(memory.values.value("Sec/Probe_Mode"), "mdWrite");
    EXPECT_EQ(memory.values.value("Sec/Probe_Parts"), "[ptHeader,ptFooter]");
    QLocale::setDefault(QLocale::c());
}

TEST(PropsStorage, ReadsTextsBackLetterCaseAside)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TProbe probe;
    TPropsStorage storage(&probe, &probe, "Probe_", "Sec");
    MemoryStore memory;
    memory.attach(storage);
    memory.values = {{"Sec/Probe_Count", " 17 "},     {"Sec/Probe_Ratio", "1234.5678"},
                     {"Sec/Probe_Mode", "MDREAD"},     {"Sec/Probe_Parts", "[ ptBody , ptfooter ]"},
                     {"Sec/Probe_Checked", "true"},    {"Sec/Probe_Mark", "q"},
                     {"Sec/Probe_Caption", "\tHello "}};
    for (const char* name : {"Count", "Ratio", "Mode", "Parts", "Checked", "Mark", "Caption"})
        EXPECT_TRUE(storage.LoadProperty(name)) << name;

    EXPECT_EQ(probe.count, 17);
    EXPECT_DOUBLE_EQ(probe.ratio, 1234.5678);
    EXPECT_EQ(probe.mode, TProbe::mdRead);
    EXPECT_EQ(probe.parts, TProbe::TParts(TProbe::ptBody | TProbe::ptFooter));
    EXPECT_TRUE(probe.checked);
    EXPECT_EQ(probe.mark, QChar('q'));
    EXPECT_EQ(probe.caption, "Hello");
    QLocale::setDefault(QLocale::c());
}

TEST(PropsStorage, AbsentOrUnreadableValuesLeavePropertiesAlone)
{
    TProbe probe;
    probe.count = 5;
    probe.mode = TProbe::mdWrite;
    probe.ratio = 1.5;
    TPropsStorage storage(&probe, &probe, "Probe_", "Sec");
    MemoryStore memory;
    memory.attach(storage);
    memory.values = {{"Sec/Probe_Mode", "mdNoSuchMode"}, {"Sec/Probe_Ratio", "1,5e"}};

    storage.LoadProperty("Count");
    storage.LoadProperty("Mode");
    storage.LoadProperty("Ratio");
    EXPECT_EQ(probe.count, 5);
    EXPECT_EQ(probe.mode, TProbe::mdWrite);
    EXPECT_DOUBLE_EQ(probe.ratio, 1.5);
    EXPECT_FALSE(storage.StoreProperty("NoSuchProperty"));
    EXPECT_FALSE(storage.LoadProperty("NoSuchProperty"));
}

TEST(PropsStorage, EmptyStringIsStoredAndRestoredEmpty)
{
    TProbe probe;
    TPropsStorage storage(&probe, &probe, "Probe_", "Sec");
    MemoryStore memory;
    memory.attach(storage);
    storage.StoreProperty("Caption");
    ASSERT_TRUE(memory.values.contains("Sec/Probe_Caption"));
    EXPECT_EQ(memory.values.value("Sec/Probe_Caption"), "");

    probe.caption = "changed";
    storage.LoadProperty("Caption");
    EXPECT_EQ(probe.caption, "");
}

TEST(PropsStorage, StringListsGoToTheirOwnSection)
{
    TProbe probe;
    probe.lines = {"first", " second ", "third"};
    TPropsStorage storage(&probe, &probe, "Probe_", "Sec");
    MemoryStore memory;
    memory.attach(storage);
    memory.values["Sec.Probe_Lines/Item7"] = "stale";

    storage.StoreProperty("Lines");
    EXPECT_EQ(memory.erased, QStringList{"Sec.Probe_Lines"});
    EXPECT_FALSE(memory.values.contains("Sec.Probe_Lines/Item7"));
    EXPECT_EQ(memory.values.value("Sec.Probe_Lines/Count"), "3");
    EXPECT_EQ(memory.values.value("Sec.Probe_Lines/Item1"), "second");

    probe.lines.clear();
    storage.LoadProperty("Lines");
    EXPECT_EQ(probe.lines, (QStringList{"first", "second", "third"}));
}

TEST(PropsStorage, DamagedListCountNeverMakesUpLines)
{
    TProbe probe;
    probe.lines = {"kept"};
    TPropsStorage storage(&probe, &probe, "Probe_", "Sec");
    MemoryStore memory;
    memory.attach(storage);
    memory.values = {{"Sec.Probe_Lines/Item0", "a"}, {"Sec.Probe_Lines/Item1", "b"}};

    for (const char* count : {"-3", "abc", "0", ""}) {
        memory.values["Sec.Probe_Lines/Count"] = count;
        storage.LoadProperty("Lines");
        EXPECT_EQ(probe.lines, QStringList{"kept"}) << count;
    }
    memory.values["Sec.Probe_Lines/Count"] = "2000000000";
    storage.LoadProperty("Lines");
    EXPECT_EQ(probe.lines, (QStringList{"a", "b"}));
}

TEST(PropsStorage, ComponentReferencesByName)
{
    QWidget form;
    form.setObjectName("MainForm");
    auto* probe = new TProbe(&form);
    probe->setObjectName("Probe");
    auto* label = new QWidget(&form);
    label->setObjectName("Label1");
    QWidget other;
    other.setObjectName("OtherForm");
    auto* far = new QWidget(&other);
    far->setObjectName("Far");

    TPropsStorage storage(probe, &form, "Probe_", "Sec");
    MemoryStore memory;
    memory.attach(storage);
    storage.StoreProperty("Buddy");
    EXPECT_EQ(memory.values.value("Sec/Probe_Buddy"), "(null)");
    probe->buddy = label;
    storage.StoreProperty("Buddy");
    EXPECT_EQ(memory.values.value("Sec/Probe_Buddy"), "Label1");
    probe->buddy = far;
    storage.StoreProperty("Buddy");
    EXPECT_EQ(memory.values.value("Sec/Probe_Buddy"), "OtherForm.Far");

    memory.values["Sec/Probe_Buddy"] = "label1";
    storage.LoadProperty("Buddy");
    EXPECT_EQ(probe->buddy, label);
    memory.values["Sec/Probe_Buddy"] = "otherform.FAR";
    storage.LoadProperty("Buddy");
    EXPECT_EQ(probe->buddy, far);
    memory.values["Sec/Probe_Buddy"] = "(NULL)";
    storage.LoadProperty("Buddy");
    EXPECT_EQ(probe->buddy, nullptr);
}

TEST(PropsStorage, GeometryGoesThroughTheAdapter)
{
    QWidget form;
    form.resize(400, 300);
    auto* layout = new AlignLayout(&form);
    auto* panel = new QWidget(&form);
    panel->resize(100, 40);
    layout->addWidget(panel, TAlign::alLeft);
    layout->realign();

    TPropsStorage storage(panel, &form, "Panel1_", "Sec");
    MemoryStore memory;
    memory.attach(storage);
    for (const char* name : {"Width", "height", "Left", "Top", "Align"})
        EXPECT_TRUE(storage.StoreProperty(name)) << name;
    EXPECT_EQ(memory.values.value("Sec/Panel1_Width"), "100");
    EXPECT_EQ(memory.values.value("Sec/Panel1_Height"), "300");
    EXPECT_EQ(memory.values.value("Sec/Panel1_Align"), "alLeft");

    memory.values["Sec/Panel1_Width"] = "150";
    memory.values["Sec/Panel1_Align"] = "alRight";
    storage.LoadProperty("Width");
    storage.LoadProperty("Align");
    layout->realign();
    EXPECT_EQ(panel->width(), 150);
    EXPECT_EQ(AlignLayout::alignOf(panel), TAlign::alRight);
    EXPECT_EQ(panel->geometry().right(), 399);

    // Stored numbers far off any screen are clamped before they are applied.
    memory.values["Sec/Panel1_Left"] = "-2147483648";
    memory.values["Sec/Panel1_Top"] = "2147483647";
    storage.LoadProperty("Left");
    storage.LoadProperty("Top");
    EXPECT_EQ(panel->pos(), QPoint(-1000000, 1000000));

    // A widget outside an aligning layout has no alignment to store.
    QWidget loose;
    EXPECT_FALSE(TPropsStorage::HasStorableProperty(&loose, "Align"));
    EXPECT_TRUE(TPropsStorage::HasStorableProperty(&loose, "Width"));
}

TEST(PropsStorage, SplitterPaneWidthMovesTheHandle)
{
    QSplitter splitter(Qt::Horizontal);
    auto* left = new QWidget;
    auto* right = new QWidget;
    splitter.addWidget(left);
    splitter.addWidget(right);
    splitter.resize(400, 200);
    splitter.setSizes({200, 200});
    splitter.show();

    TPropsStorage storage(left, &splitter, "Left_", "Sec");
    MemoryStore memory;
    memory.attach(storage);
    memory.values["Sec/Left_Width"] = "120";
    storage.LoadProperty("Width");
    EXPECT_EQ(splitter.sizes().at(0), 120);
    EXPECT_EQ(splitter.sizes().at(0) + splitter.sizes().at(1), 400 - splitter.handleWidth());
}

TEST_F(FormStorageTest, StoredPropertiesRoundTripThroughTheRegistry)
{
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    {
        TStoredForm form({"Panel1.Width", "Probe.Ratio", "Probe.Caption", "Probe.Lines"});
        form.show();
        form.panel->resize(170, form.panel->height());
        form.probe->ratio = 0.75;
        form.probe->lines = {"one", "two"};
        form.close();
    }
    EXPECT_EQ(stored("Panel1_Width"), "170");
    EXPECT_EQ(stored("Probe_Ratio"), "0.75");
    EXPECT_EQ(stored("Probe_Caption"), "");
    {
        QvRegistry registry;
        ASSERT_TRUE(registry.openKeyReadOnly("\\" + kFormPlacementsKey + "\\TStoredForm.Probe_Lines"));
        EXPECT_EQ(registry.readString("Count"), "2");
        EXPECT_EQ(registry.readString("Item1"), "two");
    }

    TStoredForm again({"Panel1.Width", "Probe.Ratio", "Probe.Caption", "Probe.Lines"});
    again.probe->caption = "will be emptied";
    again.show();
    EXPECT_EQ(again.panel->width(), 170);
    EXPECT_DOUBLE_EQ(again.probe->ratio, 0.75);
    EXPECT_EQ(again.probe->caption, "");
    EXPECT_EQ(again.probe->lines, (QStringList{"one", "two"}));
}

TEST_F(FormStorageTest, EntriesForMissingComponentsAreDropped)
{
    {
        QvRegistry registry;
        ASSERT_TRUE(registry.openKey("\\" + kFormPlacementsKey + "\\TStoredForm", true));
        registry.writeString("Panel9_Width", "77");
        registry.writeString("Panel1_Width", "140");
    }
    TStoredForm form({"Panel9.Width", "Panel1.Width", "NoDot", ".Width", "Panel1.", " Probe . Count "});
    form.show();
    EXPECT_EQ(form.panel->width(), 140);
    EXPECT_EQ(form.storage->StoredProps(), (QStringList{"Panel1.Width", "Probe.Count"}));

    // An entry whose component is destroyed goes too; the rest still save.
    delete form.probe;
    form.panel->setObjectName("LeftPanel");
    form.close();
    EXPECT_EQ(form.storage->StoredProps(), QStringList{"LeftPanel.Width"});
    EXPECT_EQ(stored("LeftPanel_Width"), "140");
}

TEST_F(FormStorageTest, DestroyedFormStillSavesLiveComponents)
{
    auto form = std::make_unique<TStoredForm>(QStringList{"Panel1.Width", "Probe.Count"});
    form->show();
    form->panel->resize(133, form->panel->height());
    form->probe->count = 9;
    form.reset();
    EXPECT_EQ(stored("Visible"), "1");
    EXPECT_EQ(stored("Panel1_Width"), "133");
    EXPECT_EQ(stored("Probe_Count"), "9");
}

#include "FormStorage_test.moc"
