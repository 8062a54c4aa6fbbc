#include "platform/netbios/nb_state_mutex.h"

#include <stdexcept>

namespace pl::nb {

NbStateMutex::NbStateMutex()
{
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_ADAPTIVE_NP);
    const int result = pthread_mutex_init(&mutex_, &attributes);
    pthread_mutexattr_destroy(&attributes);
    if (result != 0)
        throw std::runtime_error("cannot create the provider's state lock");
}

NbStateMutex::~NbStateMutex()
{
    pthread_mutex_destroy(&mutex_);
}

void NbStateMutex::lock()
{
    pthread_mutex_lock(&mutex_);
}

bool NbStateMutex::try_lock()
{
    return pthread_mutex_trylock(&mutex_) == 0;
}

void NbStateMutex::unlock()
{
    pthread_mutex_unlock(&mutex_);
}

}  // namespace pl::nb
