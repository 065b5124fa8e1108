// Which event of which control runs which handler of the window. Every handler runs through
// RunHandler, so an error escaping it is reported and the program goes on.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/window/editor_launcher.h"
#include "app/window/messages.h"
#include "app/window/ostrel.h"
#include "app/window/page_control.h"
#include "app/window/window_layout.h"
#include "dictionary/window/fanqie_page.h"
#include "dictionary/window/lookup_page.h"
#include "romanize/window/conversion_page.h"
#include "release/window/version_page.h"

namespace ravlek {

namespace {

template <typename Sender, typename Signal>
void Bind(TOstrel& window, Sender* sender, Signal signal, void (TOstrel::*handler)()) {
  QObject::connect(sender, signal, &window,
                   [&window, handler] { RunHandler([&window, handler] { (window.*handler)(); }); });
}

// A combo box's text changed by the user: an item chosen or text typed. Texts that code sets
// raise no change event.
void BindComboChange(TOstrel& window, QComboBox* box, void (TOstrel::*handler)()) {
  Bind(window, box, &QComboBox::activated, handler);
  Bind(window, box->lineEdit(), &QLineEdit::textEdited, handler);
}

}  // namespace

void BindWindowEvents(TOstrel& window) {
  Bind(window, static_cast<PageControl*>(window.TntTabControl1), &PageControl::userChangedPage,
       &TOstrel::TntTabControl1Change);

  const LookupPage* lookup = window.lookupPage();
  Bind(window, lookup->TntEdit2, &QLineEdit::textChanged, &TOstrel::TntEdit2Change);
  Bind(window, lookup->TntEdit1_spell_Search, &QLineEdit::textChanged,
       &TOstrel::TntEdit1_spell_SearchChange);
  BindComboChange(window, lookup->ComboBox2, &TOstrel::TntEdit1_spell_SearchChange);
  BindComboChange(window, lookup->ComboBox1, &TOstrel::ComboBox1Change);

  Bind(window, window.editorPage()->TntBitBtn_Spell, &QPushButton::clicked,
       &TOstrel::TntBitBtn_Spell_Click);
  const ConversionPage* conversion = window.conversionPage();
  Bind(window, conversion->TntButton5, &QPushButton::clicked, &TOstrel::TntButton5Click);
  Bind(window, conversion->TntButton1, &QPushButton::clicked, &TOstrel::TntButton1Click);
  Bind(window, conversion->RubyExport_TntButton, &QPushButton::clicked,
       &TOstrel::RubyExport_TntButtonClick);
  Bind(window, conversion->Metre_TntButton, &QPushButton::clicked, &TOstrel::Metre_TntButtonClick);
  Bind(window, conversion->Phrases_ExportAction, &QAction::triggered,
       &TOstrel::Phrases_ExportActionClick);
  Bind(window, conversion->Phrases_ImportAction, &QAction::triggered,
       &TOstrel::Phrases_ImportActionClick);
  const FanqiePage* fanqie = window.fanqiePage();
  Bind(window, fanqie->TntButton4, &QPushButton::clicked, &TOstrel::TntButton4Click);
  Bind(window, fanqie->TntButton3, &QPushButton::clicked, &TOstrel::TntButton3Click);
  Bind(window, fanqie->TntButton2, &QPushButton::clicked, &TOstrel::TntButton2Click);
  Bind(window, window.versionPage->DL_TntButton, &QPushButton::clicked,
       &TOstrel::DL_TntButtonClick);
  Bind(window, window.versionPage->DL_NEXTTIME_TntButton, &QPushButton::clicked,
       &TOstrel::DL_NEXTTIME_TntButtonClick);
  BindWindowShortcuts(window);
}

}  // namespace ravlek
