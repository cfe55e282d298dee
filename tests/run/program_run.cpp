#include "program_run.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "child_process.h"

std::vector<std::string> program_result::lines() const
{
    return lines_of(output);
}

program_result run_program(const std::string &program, const std::vector<std::string> &args,
                           const std::filesystem::path &work, std::chrono::milliseconds limit)
{
    child_process child(program, args, work);
    int wait_status = child.finish(limit);
    return {exit_status(wait_status), wait_status == -1, child.output()};
}

std::vector<uint8_t> read_file(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const std::filesystem::path &file, const std::vector<uint8_t> &bytes)
{
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> host_order_bytes(const std::vector<int32_t> &samples)
{
    std::vector<uint8_t> bytes(samples.size() * sizeof(int32_t));
    if (!bytes.empty())
        std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

std::vector<std::string> last_lines(const std::vector<std::string> &lines, std::size_t count)
{
    if (lines.size() <= count)
        return lines;
    return {lines.end() - static_cast<std::ptrdiff_t>(count), lines.end()};
}
