// A real temporary folder filled like a long-used watch folder: a few .flv
// recordings among many .mp4 and .jpg pairs. It is removed with the object.
#pragma once

#include <cstddef>
#include <string>

class BenchFolder {
  public:
    static constexpr std::size_t kRecordings = 10;

    // Makes `entries` entries under $TMPDIR (or /tmp), then waits until their
    // creation second lies in the past, so that the oldest can be chosen.
    explicit BenchFolder(std::size_t entries);
    ~BenchFolder();
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    // The folder with its trailing "/", as the worker sees it.
    const std::string& Path() const { return m_path; }

  private:
    std::string m_path;
};

// A real temporary folder of `pairs` pairs "pair N.mp4" (1 MiB, sparse) and
// "pair N.jpg" (empty), for timing quota passes that delete.
class PairFolder {
  public:
    explicit PairFolder(std::size_t pairs);
    ~PairFolder();
    PairFolder(const PairFolder&) = delete;
    PairFolder& operator=(const PairFolder&) = delete;

    // Makes again every file that a pass deleted.
    void Refill() const;
    const std::string& Path() const { return m_path; }
    std::size_t Pairs() const { return m_pairs; }

  private:
    std::string m_path;
    std::size_t m_pairs;
};
