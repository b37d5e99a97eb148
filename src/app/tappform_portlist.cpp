// The port box's list while the program runs: read anew when devices come or go.

#include "app/portbox.h"
#include "app/tappform.h"
#include "port/portwatcher.h"

#include <QComboBox>

void TAppForm::watchPorts() {
    if (m_env.portWatchFolders.isEmpty() || !m_env.portList)
        return;
    m_portWatcher = new PortWatcher(m_env.portWatchFolders, std::chrono::milliseconds(250), this);
    connect(m_portWatcher, &PortWatcher::changed, this, &TAppForm::refreshPortList);
}

void TAppForm::refreshPortList() {
    if (m_env.portList)
        setPortList(ComboBox1, m_env.portList());
    // A device came or went: if ours is gone, it may be back, so look now rather than at the
    // next reconnect tick.
    if (DeviceGone)
        TimerReconnectTimer();
}
