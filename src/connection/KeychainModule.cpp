// SPDX-License-Identifier: GPL-3.0-or-later
// The module kivo-keychain: QtKeychain's jobs behind the one function Kivo looks up.
#include "KeychainModule.h"

#include <QObject>
#include <qt6keychain/keychain.h>

using namespace kivo::keychain;

extern "C" Q_DECL_EXPORT void kivoKeychainAsk(Request request, const QString& service,
                                              const QString& key, const QString& password,
                                              QObject* context,
                                              std::function<void(const Answer&)> done) {
    QKeychain::Job* job = nullptr; // deletes itself once finished
    switch (request) {
    case Request::Read:
        job = new QKeychain::ReadPasswordJob(service);
        break;
    case Request::Write: {
        auto* write = new QKeychain::WritePasswordJob(service);
        write->setTextData(password);
        job = write;
        break;
    }
    case Request::Delete:
        job = new QKeychain::DeletePasswordJob(service);
        break;
    }
    job->setKey(key);
    QObject::connect(job, &QKeychain::Job::finished, context, [done](QKeychain::Job* finished) {
        Answer answer;
        if (finished->error() == QKeychain::EntryNotFound)
            answer.result = Answer::NotFound;
        else if (finished->error() != QKeychain::NoError)
            answer.result = Answer::Failed;
        answer.reason = finished->errorString();
        if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(finished))
            answer.password = read->textData();
        done(answer);
    });
    job->start();
}
