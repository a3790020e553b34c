// Runs a fuzz target's entry on every file named (or in every folder named) on the command
// line, so that the inputs that once failed are replayed by every ordinary build, without
// clang or libFuzzer. Prints each file first: a crash names its input.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char* argv[]) {
  QStringList files;
  for (int i = 1; i < argc; ++i) {
    const QString path = QString::fromLocal8Bit(argv[i]);
    if (QFileInfo(path).isDir()) {
      QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories);
      while (it.hasNext())
        files.append(it.next());
    } else {
      files.append(path);
    }
  }
  files.sort();
  int replayed = 0;
  for (const QString& path : files) {
    if (path.endsWith(QLatin1String(".md")))
      continue;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
      std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
      return 1;
    }
    const QByteArray data = file.readAll();
    std::printf("%s\n", qPrintable(path));
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size()));
    ++replayed;
  }
  std::printf("%d inputs replayed\n", replayed);
  return replayed > 0 ? 0 : 1;
}
