#include "shell/Form1.h"

#include "shell/options.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

static Form1 *g_form = nullptr;

Form1::Form1()
{
    Label1 = new QLabel(this);
    Text1 = new QLineEdit(this);
    Label2 = new QLabel(this);
    Text2 = new QLineEdit(this);
    Check1 = new QCheckBox(this);
    Command1 = new QPushButton(this);
}

Form1 &Form1::get()
{
    if (!g_form) {
        g_form = new Form1;
        Module1::LoadOptions();
    }
    return *g_form;
}

bool Form1::isLoaded() { return g_form != nullptr; }

void Form1::showOptions() { get().show(); }

void Form1::unload()
{
    delete g_form;
    g_form = nullptr;
}

int Form1::Check1Value() const { return Check1->isChecked() ? 1 : 0; }
void Form1::setCheck1Value(int value) { Check1->setChecked(value == 1); }
