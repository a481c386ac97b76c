#!/bin/sh
# Makes the certificates the FTP-over-TLS tests use, in the folder given, with openssl:
#   ca.pem               the authority the client is told to trust
#   good.pem/.key        for 127.0.0.1 and localhost, signed by ca.pem
#   other-ca.pem/.key    for 127.0.0.1 and localhost, signed by another authority
#   wrong-host.pem/.key  signed by ca.pem, made out to another host name
#   expired.pem/.key     for 127.0.0.1 and localhost, signed by ca.pem, valid only in 2020
# `openssl ca` is used for every server certificate because it alone (in OpenSSL 3.0) sets
# a start and end date in the past.
set -eu
dir=$1
mkdir -p "$dir/issued"
cd "$dir"
: > index.txt
echo 1000 > serial
cat > ca.cnf <<CNF
[ca]
default_ca = test_ca
[test_ca]
database = index.txt
new_certs_dir = issued
serial = serial
default_md = sha256
policy = any_name
copy_extensions = copy
unique_subject = no
x509_extensions = server_extensions
[any_name]
commonName = supplied
[server_extensions]
basicConstraints = CA:FALSE
CNF

authority() {
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout "$1.key" \
    -out "$1.pem" -subj "/CN=$2" -days 2 2>/dev/null
}
# server NAME AUTHORITY ALT-NAMES START END
server() {
  openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout "$1.key" \
    -out "$1.csr" -subj "/CN=$1" -addext "subjectAltName=$3" 2>/dev/null
  openssl ca -batch -notext -config ca.cnf -cert "$2.pem" -keyfile "$2.key" -in "$1.csr" \
    -out "$1.pem" -startdate "$4" -enddate "$5" 2>/dev/null
}

now=$(date -u -d '-1 hour' +%Y%m%d%H%M%SZ)
later=$(date -u -d '+2 days' +%Y%m%d%H%M%SZ)
authority ca "Tavrel test authority"
authority another-ca "Another authority"
server good ca "IP:127.0.0.1,DNS:localhost" "$now" "$later"
server other-ca another-ca "IP:127.0.0.1,DNS:localhost" "$now" "$later"
server wrong-host ca "DNS:elsewhere.example" "$now" "$later"
server expired ca "IP:127.0.0.1,DNS:localhost" 20200101000000Z 20200201000000Z
