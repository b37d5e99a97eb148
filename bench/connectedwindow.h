#pragma once

// ConnectedWindow: a started main window connected to the slave of a pseudo-terminal pair,
// for benchmarks that push data through the master; the descriptors close with it.

#include "app/tappform.h"
#include "benchsupport.h"

#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <pty.h>
#include <unistd.h>

struct ConnectedWindow {
    QTemporaryDir tmp;
    PrintedMessages messages;
    int master = -1, slave = -1;
    std::unique_ptr<TAppForm> form;

    ConnectedWindow() {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
            std::perror("openpty");
            return;
        }
        form = std::make_unique<TAppForm>(benchEnvironment(tmp, messages));
        form->FormCreate();
        // As the program does right after start-up: its Send Later tick counts too.
        form->createSendLaterWindow();
        form->show();
        form->ComboBox1->setEditText(QString::fromLocal8Bit(name));
        form->ButtonConnect->click();
    }
    ~ConnectedWindow() {
        if (form)
            form->ComKapa();
        form.reset();
        if (master >= 0)
            ::close(master);
        if (slave >= 0)
            ::close(slave);
    }
    bool connected() const { return form && form->PortConnected; }
};
