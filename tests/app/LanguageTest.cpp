// The language of the texts: the desktop's choice as gettext reads it, and every form in
// English and in Chinese with its texts inside the widths the layout fixes.
#include "AppTestSupport.h"
#include "app/Startup.h"
#include "browser/Inspector.h"
#include "extract/OutputFolder.h"
#include "framework/Buttons.h"
#include "framework/Language.h"
#include "settings/Option.h"
#include "skin/About.h"

#include <QAccessible>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>

#include <map>
#include <string>

namespace {

using LanguageTest = AppTest;

TEST(DesktopLanguage, TheFirstVariableSetDecidesAndOnlyEnglishIsTranslated)
{
    const struct {
        std::map<std::string, std::string> env;
        TUiLanguage expected;
    } cases[] = {
        {{}, ulChinese},
        {{{"LANG", "en_US.UTF-8"}}, ulEnglish},
        {{{"LANG", "C.UTF-8"}}, ulChinese},
        {{{"LANG", "POSIX"}}, ulChinese},
        {{{"LANG", "de_DE.UTF-8"}}, ulChinese},
        {{{"LANG", "zh_CN.UTF-8"}, {"LC_MESSAGES", "en_GB"}}, ulEnglish},
        {{{"LANG", "en_US.UTF-8"}, {"LC_ALL", "zh_TW.UTF-8"}}, ulChinese},
        {{{"LC_ALL", "C"}, {"LANGUAGE", "en"}}, ulEnglish},
        {{{"LANGUAGE", "fr:en_GB:zh"}, {"LANG", "zh_CN.UTF-8"}}, ulEnglish},
        {{{"LANGUAGE", "fr:de"}, {"LANG", "en_US.UTF-8"}}, ulChinese},
        {{{"LANGUAGE", ""}, {"LC_ALL", ""}, {"LANG", "en@euro"}}, ulEnglish},
    };
    for (const auto& c : cases) {
        const auto getEnv = [&c](const char* name) -> const char* {
            const auto it = c.env.find(name);
            return it == c.env.end() ? nullptr : it->second.c_str();
        };
        std::string described;
        for (const auto& [name, value] : c.env)
            described += name + "=" + value + " ";
        EXPECT_EQ(DesktopUiLanguage(getEnv), c.expected) << described;
    }
    EXPECT_EQ(ChooseUiLanguage("en", "zh"), ulEnglish);
    EXPECT_EQ(ChooseUiLanguage("", "en"), ulEnglish);
    EXPECT_EQ(ChooseUiLanguage("zh", "en"), ulChinese);
}

// Every text of a shown form's buttons, check boxes and labels of fixed size fits in
// the widget's width, and every control Tab reaches has a name for screen readers.
void ExpectTextsFit(QWidget* form)
{
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (!w->isVisible())
            continue;
        if (w->focusPolicy() & Qt::TabFocus) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            EXPECT_TRUE(a && !a->text(QAccessible::Name).isEmpty())
                << qPrintable(form->objectName()) << "." << qPrintable(w->objectName()) << " has no name";
        }
        QString text;
        int needed = 0;
        if (auto* box = qobject_cast<QCheckBox*>(w)) {
            text = box->text();
            needed = box->sizeHint().width();
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            text = button->text();
        } else if (auto* label = qobject_cast<QLabel*>(w); label && !label->wordWrap()) {
            text = label->text();
        }
        text.remove(QLatin1Char('&'));
        if (text.isEmpty())
            continue;
        needed = std::max(needed, w->fontMetrics().horizontalAdvance(text));
        EXPECT_LE(needed, w->width()) << qPrintable(form->objectName()) << "." << qPrintable(w->objectName())
                                      << " \"" << text.toStdString() << "\"";
    }
}

TEST_F(LanguageTest, EveryFormSpeaksTheChosenLanguageAndItsTextsFit)
{
    const struct {
        TUiLanguage language;
        const char* fileMenu;
        const char* firstColumn;
        const char* upHint;
        const char* optionsCaption;
        const char* exeBox;
        const char* inspectorCaption;
    } cases[] = {
        {ulChinese, "文件(&F)", "文件名", "向上|浏览上一级文件夹", "浏览选项设置", ".exe可执行程序", "图标详情"},
        {ulEnglish, "&File", "File name", "Up|Browse the parent folder", "Browsing Options", ".exe programs",
         "Icon Details"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fileMenu);
        ASSERT_TRUE(InstallUiLanguage(c.language)) << "a translation is missing";
        TForm1* f = CreateMainForm();
        ShowMainForm();
        EXPECT_EQ(f->FindMenuButton(0)->text(), QString::fromUtf8(c.fileMenu));
        EXPECT_EQ(f->ListView1->Columns()->Items(0)->Caption(), QString::fromUtf8(c.firstColumn));
        EXPECT_EQ(f->UpButton->Hint(), QString::fromUtf8(c.upHint));
        ExpectTextsFit(f);

        TBrowseItem options(nullptr, f);
        options.Show();
        EXPECT_EQ(options.Caption(), QString::fromUtf8(c.optionsCaption));
        EXPECT_EQ(options.ExeChk->Caption(), QString::fromUtf8(c.exeBox));
        ExpectTextsFit(&options);
        TAboutBox about(nullptr);
        about.Show();
        ExpectTextsFit(&about);
        TOutputFolder output(nullptr);
        output.Show();
        ExpectTextsFit(&output);
        TIconInspector inspector(nullptr, QByteArrayLiteral(GW_TARNWELL8), QStringLiteral("Tarnwell.dll"), 0);
        inspector.Show();
        EXPECT_EQ(inspector.Caption(), QString::fromUtf8(c.inspectorCaption));
        ExpectTextsFit(&inspector);
        delete FForm;
        FForm = nullptr;
    }
    InstallUiLanguage(ulChinese);
}

} // namespace
