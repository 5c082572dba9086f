// Downloading an upgrade file: the transfer with its worker thread and a progress event handed to the
// user-interface thread per block, against libcurl writing the same body straight into a file.
#include "tests/upgrade/testserver.h"
#include "upgrade/httptransfer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <curl/curl.h>

namespace {
constexpr int BufferSize = 4096;

TestHttpServer &server() {
    static TestHttpServer instance;
    return instance;
}

QString serve(int bytes) {
    const QByteArray path = "/file" + QByteArray::number(bytes);
    server().serve(path, QByteArray(bytes, 'u'));
    return server().url(QString::fromLatin1(path));
}

void BM_TransferIntoFile(benchmark::State &state) {
    const QString address = serve(int(state.range(0)));
    QTemporaryDir dir;
    HttpTransfer transfer;
    transfer.request().address = address;
    transfer.request().outputFile = dir.filePath(QStringLiteral("file.uTMP"));
    transfer.request().bufferSize = BufferSize;
    qint64 reported = 0;
    QObject::connect(
        &transfer, &HttpTransfer::progress, &transfer,
        [&reported](const HttpResponse &, const HttpProgress &figures) { reported = figures.bytes; });
    QEventLoop loop;
    QObject::connect(&transfer, &HttpTransfer::finished, &loop, &QEventLoop::quit);
    for (auto _ : state) {
        transfer.start();
        loop.exec();
        if (transfer.response().bytes != state.range(0)) state.SkipWithError("transfer failed");
    }
    benchmark::DoNotOptimize(reported);
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TransferIntoFile)->Arg(256 << 10)->Arg(4 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BareTransferIntoFile(benchmark::State &state) {
    const QByteArray address = serve(int(state.range(0))).toUtf8();
    QTemporaryDir dir;
    const QByteArray path = dir.filePath(QStringLiteral("file.uTMP")).toLocal8Bit();
    for (auto _ : state) {
        CURL *curl = curl_easy_init();
        FILE *file = std::fopen(path.constData(), "wb");
        curl_easy_setopt(curl, CURLOPT_URL, address.constData());
        curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, long(BufferSize));
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, file);
        const CURLcode code = curl_easy_perform(curl);
        std::fclose(file);
        curl_easy_cleanup(curl);
        if (code != CURLE_OK) state.SkipWithError("transfer failed");
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BareTransferIntoFile)
    ->Arg(256 << 10)
    ->Arg(4 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
