#include "services/tchecker.h"

#include "base/localeformats.h"
#include "services/checkerstore.h"
#include "services/servicefields.h"

#include <thread>

void TChecker::start(CheckerSetup setup) {
    m_shared = std::make_shared<Shared>();
    // Detached: the process may end while a request still waits; the thread then simply goes
    // with it, and until then it keeps the shared state alive by itself.
    std::thread([shared = m_shared, setup = std::move(setup)] {
        CheckerStore store(setup.storeFolder);
        const LocaleFormats formats(setup.localeName);
        CheckInputs inputs;
        inputs.shortVersion = setup.shortVersion;
        inputs.commonFields =
            commonFields(currentServiceIdentity(setup.mainCaption, setup.shortVersion));
        inputs.haveWebHost = setup.haveWebHost;
        const QDate today = setup.today;
        const CheckOutcome outcome = CheckNow(
            store, inputs, [today] { return today; }, formats, setup.post);
        if (!outcome.finished)
            return; // the window keeps waiting, as when the store refuses a write
        shared->outcome = outcome;
        shared->CheckFinished.store(true, std::memory_order_release);
    }).detach();
}

bool TChecker::CheckFinished() const {
    return m_shared && m_shared->CheckFinished.load(std::memory_order_acquire);
}

const CheckOutcome& TChecker::outcome() const {
    return m_shared->outcome;
}
