#pragma once
// One GATT service of a connected low-energy device. Characteristics are
// named by their UUID, so that a fake can stand in for the Qt service.

#include <QBluetoothUuid>
#include <QByteArray>
#include <QLowEnergyCharacteristic>
#include <QLowEnergyService>
#include <QObject>

class LeService : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~LeService() override = default;

    virtual QLowEnergyService::ServiceState state() const = 0;
    virtual void discoverDetails() = 0;
    virtual bool hasCharacteristic(const QBluetoothUuid& characteristic) const = 0;
    virtual QLowEnergyCharacteristic::PropertyTypes properties(
        const QBluetoothUuid& characteristic) const = 0;
    // The Client Characteristic Configuration descriptor of a characteristic.
    virtual bool hasClientConfiguration(const QBluetoothUuid& characteristic) const = 0;
    virtual void writeClientConfiguration(const QBluetoothUuid& characteristic,
                                          const QByteArray& value) = 0;
    virtual void writeCharacteristic(const QBluetoothUuid& characteristic, const QByteArray& value,
                                     QLowEnergyService::WriteMode mode) = 0;

signals:
    void stateChanged(QLowEnergyService::ServiceState state);
    void characteristicChanged(const QBluetoothUuid& characteristic, const QByteArray& value);
    void characteristicWritten(const QBluetoothUuid& characteristic, const QByteArray& value);
};
