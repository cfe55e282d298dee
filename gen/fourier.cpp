#include "fourier.h"

#include <algorithm>
#include <new>

namespace {

void release(fourier_plan &plan) {
    if (plan.forward) fftw_destroy_plan(plan.forward);
    if (plan.inverse) fftw_destroy_plan(plan.inverse);
    fftw_free(plan.work);
}

}  // namespace

fourier_plan::fourier_plan(size_t size) : size(size), work(fftw_alloc_complex(std::max<size_t>(size, 1))) {
    if (work && size > 0) {
        forward = fftw_plan_dft_1d(static_cast<int>(size), work, work, FFTW_FORWARD, FFTW_ESTIMATE);
        inverse = fftw_plan_dft_1d(static_cast<int>(size), work, work, FFTW_BACKWARD, FFTW_ESTIMATE);
    }
    if (!work || (size > 0 && (!forward || !inverse))) {
        release(*this);
        throw std::bad_alloc();
    }
}

fourier_plan::~fourier_plan() { release(*this); }

void fourier_transform(const fourier_plan &plan, std::vector<std::complex<double>> &x, bool inverse) {
    if (plan.size == 0) return;
    // std::complex<double> and fftw_complex share their layout.
    auto *work = reinterpret_cast<std::complex<double> *>(plan.work);
    std::copy_n(x.begin(), plan.size, work);
    fftw_execute(inverse ? plan.inverse : plan.forward);
    std::copy_n(work, plan.size, x.begin());
}
